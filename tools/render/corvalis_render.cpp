// corvalis-render: computes an orbit-density diagram without a window and writes it to files.
// The options become render jobs; the job floor runs them; this file tells the outcome.
#include "job/film.h"
#include "job/lyapunov_table.h"
#include "job/npy_file.h"
#include "job/pgm_file.h"
#include "job/render_job.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/file_path.h"
#include "platform/interrupt.h"
#include "platform/system_info.h"
#include "tools/progress.h"
#include "tools/render_options.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace {

// Says why the program stops and gives its exit status: 128 + the signal's number after an
// interrupt, 2 after an error. `kept` says what an interrupt leaves behind.
int Stop(const Failure& failure, const std::string& kept = "nothing written, old files left as they were")
{
    if (failure.IsInterrupt()) {
        std::fprintf(stderr, "corvalis-render: interrupted; %s\n", kept.c_str());
        return InterruptedExitStatus();
    }
    std::fprintf(stderr, "corvalis-render: %s\n", failure.Message().c_str());
    return 2;
}

// What an interrupt leaves of a single picture.
std::string KeptOnInterrupt(const RenderOptions& options)
{
    if (options.rowsPath.empty()) {
        return "nothing written, old files left as they were";
    }
    return "the rows done are kept in " + QuotedName(options.rowsPath) +
           ": the same command goes on from there; no output written, old files left as they were";
}

// The progress line on a terminal, redrawn at most once a second while one picture is made,
// and cleared at its end.
class TerminalProgress {
public:
    TerminalProgress(bool shown, const FilmProgress* film)
        : m_shown(shown), m_film(film), m_line(shown && EnableTerminalSequences(stderr))
    {
    }
    ~TerminalProgress()
    {
        if (m_shown && m_lastReport != m_started) {
            std::fputs(m_line.Clear().c_str(), stderr);
        }
    }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void Report(int64_t done, int64_t toDo)
    {
        const auto now = std::chrono::steady_clock::now();
        if (!m_shown || now - m_lastReport < std::chrono::seconds(1)) {
            return;
        }
        m_lastReport = now;
        const double elapsed = std::chrono::duration<double>(now - m_started).count();
        const std::string text = m_film != nullptr ? FormatFilmProgress(*m_film, done, toDo, elapsed)
                                                   : FormatProgress(done, toDo, elapsed);
        std::fputs(m_line.Redraw(text).c_str(), stderr);
    }

private:
    const bool m_shown;
    const FilmProgress* const m_film;  // none for a single picture
    ProgressLine m_line;
    const std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point m_lastReport = m_started;
};

// Where the outputs go, every one checked before anything is computed.
struct Outputs {
    std::optional<OutputTarget> levels;
    std::optional<OutputTarget> counts;
    std::optional<OutputTarget> picture;
    std::optional<OutputTarget> lyapunov;
};

// Each output with the option that names it, in the order of --help.
std::array<std::pair<const char*, const std::optional<OutputTarget>*>, 4> ByOption(const Outputs& outputs)
{
    return {{{"--levels", &outputs.levels},
             {"--counts", &outputs.counts},
             {"-o", &outputs.picture},
             {"--lyapunov", &outputs.lyapunov}}};
}

// The targets of the outputs asked for, or why one of them cannot be written; two outputs that
// would write one file are refused.
Result<Outputs> FindOutputs(const RenderOptions& options)
{
    Outputs outputs;
    for (const auto& [name, target] :
         {std::pair{&options.levelsPath, &outputs.levels}, std::pair{&options.countsPath, &outputs.counts},
          std::pair{&options.picturePath, &outputs.picture}, std::pair{&options.lyapunovPath, &outputs.lyapunov}}) {
        if (name->empty()) {
            continue;
        }
        Result<OutputTarget> found = FindOutputTarget(*name);
        if (!found) {
            return found.Error();
        }
        *target = std::move(*found);
    }
    const auto named = ByOption(outputs);
    for (size_t i = 0; i < named.size(); ++i) {
        for (size_t j = i + 1; j < named.size(); ++j) {
            const auto& [firstOption, first] = named[i];
            const auto& [secondOption, second] = named[j];
            if (*first && *second && SameTarget(**first, **second)) {
                return Failure::Because(std::string(firstOption) + " " + QuotedName((*first)->name) + " and " +
                                        secondOption + " " + QuotedName((*second)->name) + " are the same file");
            }
        }
    }
    return outputs;
}

// Refuses an output that would replace a rows file the run reads or keeps.
Status CheckRowsFilesKept(const RenderOptions& options, const Outputs& outputs)
{
    std::vector<std::pair<std::string, std::string>> rowsFiles;  // the option and the name
    if (!options.rowsPath.empty()) {
        rowsFiles.emplace_back("--rows", options.rowsPath);
    }
    for (const std::string& name : options.fromPaths) {
        rowsFiles.emplace_back("--from", name);
    }
    for (const auto& [option, target] : ByOption(outputs)) {
        for (const auto& [rowsOption, name] : rowsFiles) {
            if (*target && IsSameEntry((*target)->file, PathFromUtf8(name))) {
                return Failure::Because(std::string(option) + " " + QuotedName((*target)->name) + " is the rows file " +
                                        rowsOption + " " + QuotedName(name));
            }
        }
    }
    return {};
}

// A rows file's failure told with the option that named the file: "--from 'x': ..." where the
// message names a file, "--from: ..." where it does not.
Failure WithOption(const std::string& option, const Failure& failure)
{
    const std::string& message = failure.Message();
    return Failure::Because(option + (message.starts_with('\'') ? " " : ": ") + message);
}

// Where the rows of the run are kept or read, opened and checked before anything is computed:
// the rows file of --rows, or the files of --from, whose computation the options then take.
Result<std::optional<KeptRows>> OpenKeptRows(RenderOptions& options)
{
    if (!options.fromPaths.empty()) {
        Result<KeptRows> gathered = KeptRows::Gather(options.fromPaths);
        if (!gathered) {
            return WithOption("--from", gathered.Error());
        }
        options.computation = gathered->KeptComputation();
        options.computation.shard = {};  // the picture takes every shard's rows
        return std::optional(std::move(*gathered));
    }
    if (options.rowsPath.empty()) {
        return std::optional<KeptRows>();
    }
    Result<KeptRows> opened = KeptRows::OpenToKeep(options.rowsPath, options.computation);
    if (!opened) {
        return WithOption("--rows", opened.Error());
    }
    return std::optional(std::move(*opened));
}

int32_t ThreadsOf(const RenderOptions& options)
{
    return options.threads > 0 ? options.threads : ProcessorCount();
}

// Makes one picture: checks its outputs, opens its rows files, then computes or reads its rows
// and writes the outputs.
Status RenderPicture(RenderOptions& options, const FilmProgress* film)
{
    Result<Outputs> outputs = FindOutputs(options);
    if (!outputs) {
        return outputs.Error();
    }
    if (Status apart = CheckRowsFilesKept(options, *outputs); !apart) {
        return apart;
    }
    Result<std::optional<KeptRows>> kept = OpenKeptRows(options);
    if (!kept) {
        return kept.Error();
    }
    // --from has set the computation of its files.
    const RenderJob job{
        .computation = options.computation,
        .style = options.style,
        .levels = std::move(outputs->levels),
        .counts = std::move(outputs->counts),
        .picture = std::move(outputs->picture),
        .lyapunov = std::move(outputs->lyapunov),
        .pictureTexts = {{"Software", "corvalis-render " CORVALIS_VERSION},
                         {"Command", ReproducingCommand(options.computation, options.style)}},
        .threads = ThreadsOf(options),
    };
    TerminalProgress progress(!options.quiet && IsTerminal(stderr), film);
    const RenderHooks hooks{
        .cancel = [] { return InterruptSignal() != 0; },
        .progress = [&progress](int64_t done, int64_t toDo) { progress.Report(done, toDo); },
    };
    return RunRenderJob(job, kept->has_value() ? &**kept : nullptr, hooks);
}

// The command that makes the picture of the options, and the files it writes, as a line that a
// POSIX shell runs as it is.
std::string PictureCommand(const RenderOptions& options)
{
    std::string command = ReproducingCommand(options.computation, options.style);
    for (const auto& [option, name] :
         {std::pair{" --levels ", &options.levelsPath}, std::pair{" --counts ", &options.countsPath},
          std::pair{" -o ", &options.picturePath}, std::pair{" --lyapunov ", &options.lyapunovPath},
          std::pair{" --rows ", &options.rowsPath}}) {
        if (!name->empty()) {
            command += option + (*name == "-" ? *name : ShellWord(*name));
        }
    }
    if (options.shard) {
        const Shard& shard = options.computation.shard;
        command += " --shard " + std::to_string(shard.index) + "/" + std::to_string(shard.count);
    }
    return command;
}

// Frame `frame` of the film as a picture of its own: its region, its grid, its files.
Result<RenderOptions> FrameOptions(const RenderOptions& film, int32_t frame)
{
    RenderOptions options = film;
    options.computation.region = FrameRegion(film.computation.region, *film.zoomTo, frame, film.frames);
    options.zoomTo.reset();
    options.frames = 0;
    options.shard.reset();
    options.computation.shard = {};
    for (std::string* name :
         {&options.levelsPath, &options.countsPath, &options.picturePath, &options.lyapunovPath, &options.rowsPath}) {
        if (!name->empty() && *name != "-") {
            *name = FrameName(*name, frame);
        }
    }
    const std::string context = "frame " + std::to_string(frame);
    if (Status computable = CheckComputable(options.computation.region, "XMIN YMIN XMAX YMAX"); !computable) {
        return computable.Error().WithContext(context + ": its region " + RegionText(options.computation.region));
    }
    if (Status fitted = FitGrid(options.computation); !fitted) {
        return fitted.Error().WithContext(context + ": --fit");
    }
    return options;
}

// Whether a file is a regular file; a FIFO or a device is never read to find out more.
bool IsRegularFile(const std::string& name)
{
    const Result<FileKind> kind = KindOf(PathFromUtf8(name));
    return kind && *kind == FileKind::Regular;
}

// Whether a frame's files are all there, complete: a PNG that carries the frame's command, a
// PGM and a .npy file of its grid, a table of λ with a line for each of its rows. A frame written
// to standard output or to a stream is never complete.
bool FrameComplete(const RenderOptions& frame)
{
    for (const std::string* name : {&frame.picturePath, &frame.levelsPath, &frame.countsPath, &frame.lyapunovPath}) {
        if (!name->empty() && !IsRegularFile(*name)) {
            return false;
        }
    }
    if (!frame.picturePath.empty()) {
        const auto texts = ReadCompletePngTexts(PathFromUtf8(frame.picturePath));
        const std::string command = ReproducingCommand(frame.computation, frame.style);
        if (!texts || std::ranges::none_of(*texts, [&](const PngText& text) {
                return text.keyword == "Command" && text.text == command;
            })) {
            return false;
        }
    }
    const Size grid = frame.computation.grid;
    return (frame.levelsPath.empty() || IsCompletePgm(PathFromUtf8(frame.levelsPath), grid)) &&
           (frame.countsPath.empty() || IsCompleteNpy(PathFromUtf8(frame.countsPath), grid)) &&
           (frame.lyapunovPath.empty() || IsCompleteLyapunovTable(PathFromUtf8(frame.lyapunovPath), grid.height));
}

// What an interrupt leaves of a film.
std::string FilmKeptOnInterrupt(int32_t framesWritten)
{
    return "the " + std::to_string(framesWritten) +
           " frames written are kept and the same command goes on after them; the frame being made "
           "was not written, its old files left as they were";
}

// Makes the frames of the film in the options' shard of them, in order, but for those whose
// files are complete; with --dry-run, prints their commands instead. Every frame's outputs are
// checked before the first is made.
int RenderFilm(const RenderOptions& film)
{
    std::vector<RenderOptions> frames;
    std::vector<double> costs;
    for (int32_t frame = 0; frame < film.frames; ++frame) {
        Result<RenderOptions> options = FrameOptions(film, frame);
        if (!options) {
            return Stop(options.Error());
        }
        costs.push_back(
            FrameCost(options->computation.grid, options->computation.region.xmax - options->computation.region.xmin));
        frames.push_back(std::move(*options));
    }
    std::vector<int32_t> inShard(frames.size());
    std::iota(inShard.begin(), inShard.end(), 0);
    if (film.shard) {
        inShard = FramesOfShard(costs, film.shard->index, film.shard->count);
    }
    if (film.dryRun) {
        for (int32_t frame : inShard) {
            std::printf("frame %d: %s\n", frame, PictureCommand(frames[static_cast<size_t>(frame)]).c_str());
        }
        return std::fflush(stdout) == 0 ? 0 : Stop(Failure::Because(std::strerror(errno)));
    }
    std::vector<int32_t> toDo;
    FilmProgress progress;
    for (int32_t frame : inShard) {
        const RenderOptions& options = frames[static_cast<size_t>(frame)];
        if (FrameComplete(options)) {
            continue;
        }
        if (const Result<Outputs> outputs = FindOutputs(options); !outputs) {
            return Stop(outputs.Error().WithContext("frame " + std::to_string(frame)));
        }
        toDo.push_back(frame);
        progress.costToDo += costs[static_cast<size_t>(frame)];
    }
    progress.framesToDo = static_cast<int32_t>(toDo.size());
    const auto started = std::chrono::steady_clock::now();
    for (int32_t frame : toDo) {
        progress.frame = frame;
        progress.frameCost = costs[static_cast<size_t>(frame)];
        progress.secondsBefore = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (Status made = RenderPicture(frames[static_cast<size_t>(frame)], &progress); !made) {
            return Stop(made.Error().WithContext("frame " + std::to_string(frame)),
                        FilmKeptOnInterrupt(progress.framesDone));
        }
        if (!film.quiet) {
            std::fprintf(stderr, "corvalis-render: frame %d written\n", frame);
        }
        ++progress.framesDone;
        progress.costDone += progress.frameCost;
    }
    if (!film.quiet) {
        std::fprintf(stderr, "corvalis-render: %zu frames: %zu written, %zu already complete\n", inShard.size(),
                     toDo.size(), inShard.size() - toDo.size());
    }
    return 0;
}

// Prints a text on standard output; why it cannot be written.
Status Print(const std::string& text)
{
    if (StandardOutputClosed()) {
        return Failure::Because("standard output is closed");
    }
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        return Failure::Because(std::strerror(errno));
    }
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    OpenStandardStreams();  // before any file is opened: none may take a standard stream's number
    CatchInterrupts();
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    Result<RenderOptions> parsed = ParseRenderOptions({arguments.begin(), arguments.end()});
    if (!parsed) {
        return Stop(parsed.Error());
    }
    RenderOptions& options = *parsed;
    if (options.help) {
        const Status printed = Print(RenderUsage());
        return printed ? 0 : Stop(printed.Error().WithContext("cannot write the help"));
    }
    if (options.computation.stripes == 0) {
        options.computation.stripes = ProcessorCount();
    }
    if (options.frames != 0) {
        return RenderFilm(options);
    }
    if (options.dryRun) {
        const Status printed = Print(PictureCommand(options) + "\n");
        return printed ? 0 : Stop(printed.Error());
    }
    const Status done = RenderPicture(options, nullptr);
    return done ? 0 : Stop(done.Error(), KeptOnInterrupt(options));
}
