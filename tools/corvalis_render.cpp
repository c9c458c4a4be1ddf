// corvalis-render: computes an orbit-density diagram without a window and writes it to files.
#include "core/calc_layout.h"
#include "core/stripe_pool.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/file_path.h"
#include "platform/interrupt.h"
#include "platform/result.h"
#include "platform/system_info.h"
#include "render/image_pipeline.h"
#include "tools/film.h"
#include "tools/output_file.h"
#include "tools/pgm_file.h"
#include "tools/png_file.h"
#include "tools/progress.h"
#include "tools/render_options.h"
#include "tools/rows_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace {

// Says why the program stops and gives its exit status: 128 + the signal's number after an
// interrupt, 2 after an error. The rows file named, if any, keeps the rows done.
int Stop(const Failure& failure, const std::string& rowsPath = {})
{
    if (failure.IsInterrupt() && !rowsPath.empty()) {
        std::fprintf(stderr,
                     "corvalis-render: interrupted; the rows done are kept in %s: the same command goes on from "
                     "there; no output written, old files left as they were\n",
                     QuotedName(rowsPath).c_str());
        return InterruptedExitStatus();
    }
    if (failure.IsInterrupt()) {
        std::fputs("corvalis-render: interrupted; nothing written, old files left as they were\n", stderr);
        return InterruptedExitStatus();
    }
    std::fprintf(stderr, "corvalis-render: %s\n", failure.Message().c_str());
    return 2;
}

Failure OutOfMemory(const RenderOptions& options)
{
    return Failure::Because("not enough memory for a " + std::to_string(options.gridWidth) + "x" +
                            std::to_string(options.gridHeight) + " grid and its outputs");
}

// Where the outputs go, every one checked before anything is computed.
struct Outputs {
    std::optional<OutputTarget> levels;
    std::optional<OutputTarget> picture;
};

// The targets of the outputs asked for, or why one of them cannot be written.
Result<Outputs> FindOutputs(const RenderOptions& options)
{
    Outputs outputs;
    for (const auto& [name, target] : {std::pair{&options.levelsPath, &outputs.levels},
                                       std::pair{&options.picturePath, &outputs.picture}}) {
        if (name->empty()) {
            continue;
        }
        Result<OutputTarget> found = FindOutputTarget(*name);
        if (!found) {
            return found.Error();
        }
        *target = std::move(*found);
    }
    if (outputs.levels && outputs.picture && SameTarget(*outputs.levels, *outputs.picture)) {
        return Failure::Because("--levels " + QuotedName(options.levelsPath) + " and -o " +
                                QuotedName(options.picturePath) + " are the same file");
    }
    return outputs;
}

// The rows of a run from the top down: the rows of its part of the grid (all, or one shard's)
// that rows files keep are read from them; the others are computed by threads that share them
// out, and kept where a rows file is given. Shows progress on a terminal: the rows computed of
// those to compute, or the rows read where nothing is computed. An interrupt stops the waiting
// at once.
class RowSupply {
public:
    RowSupply(const RenderOptions& options, KeptRows* kept, bool showProgress, const FilmProgress* film)
        : m_options(options), m_kept(kept), m_film(film), m_showProgress(showProgress),
          m_progress(showProgress && EnableTerminalSequences(stderr)),
          m_levels(static_cast<size_t>(options.gridWidth))
    {
    }
    ~RowSupply()
    {
        if (m_showProgress && m_lastReport != m_started) {
            std::fputs(m_progress.Clear().c_str(), stderr);
        }
    }
    RowSupply(const RowSupply&) = delete;
    RowSupply& operator=(const RowSupply&) = delete;

    // Whether the row is in the run's part of the grid.
    bool InPart(int32_t row) const
    {
        return m_options.shards == 0 || ShardOfRow(row, m_options.gridHeight, m_options.shards) == m_options.shard;
    }

    // Starts computing the rows of the part that are not kept, with the values of a split into
    // `stripes` stripes, on `threads` threads.
    Status Start(int32_t stripes, int32_t threads)
    {
        const Size grid{m_options.gridWidth, m_options.gridHeight};
        std::vector<bool> wanted(static_cast<size_t>(grid.height));
        for (int32_t row = 0; row < grid.height; ++row) {
            wanted[static_cast<size_t>(row)] = InPart(row) && (m_kept == nullptr || !m_kept->Holds(row));
            m_rowsToRead += InPart(row) && !wanted[static_cast<size_t>(row)];
        }
        m_rowsToCompute = std::ranges::count(wanted, true);
        if (m_rowsToCompute == 0) {
            return {};
        }
        std::vector<StripeSpec> specs;
        for (int32_t i = 0; i < stripes; ++i) {
            specs.push_back(StripeFor(nullptr, grid, m_options.region, StripeBounds(i, stripes, grid.height)));
        }
        m_pool = StripePool::Start(std::move(specs), threads, wanted);
        if (m_pool == nullptr) {
            return Failure::Because("cannot start " + std::to_string(threads) + " threads");
        }
        return {};
    }

    // The levels of the next row of the part, `row`, valid until the next call.
    Result<const int32_t*> Next(int32_t row)
    {
        if (InterruptSignal() != 0) {
            return Failure::Interrupt();
        }
        if (m_kept != nullptr && m_kept->Holds(row)) {
            ++m_rowsRead;
            ShowProgress();
            if (Status read = m_kept->Read(row, m_levels.data()); !read) {
                return read.Error();
            }
            return m_levels.data();
        }
        for (;;) {
            const int32_t* levels = m_pool->NextRow(std::chrono::milliseconds(20));
            if (InterruptSignal() != 0) {
                return Failure::Interrupt();  // the pool cancels and joins its threads as it goes
            }
            if (levels != nullptr) {
                if (m_kept != nullptr) {
                    if (Status kept = m_kept->Keep(row, levels); !kept) {
                        return kept.Error();
                    }
                }
                return levels;
            }
            if (m_pool->Failed()) {
                return OutOfMemory(m_options);
            }
            ShowProgress();
        }
    }

private:
    void ShowProgress()
    {
        const auto now = std::chrono::steady_clock::now();
        if (m_showProgress && now - m_lastReport >= std::chrono::seconds(1)) {
            m_lastReport = now;
            const double elapsed = std::chrono::duration<double>(now - m_started).count();
            const int64_t done = m_pool != nullptr ? m_pool->RowsHandedOut() : m_rowsRead;
            const int64_t toDo = m_pool != nullptr ? m_rowsToCompute : m_rowsToRead;
            const std::string line = m_film != nullptr ? FormatFilmProgress(*m_film, done, toDo, elapsed)
                                                       : FormatProgress(done, toDo, elapsed);
            std::fputs(m_progress.Redraw(line).c_str(), stderr);
        }
    }

    const RenderOptions& m_options;
    KeptRows* const m_kept;
    const FilmProgress* const m_film;  // none for a single picture
    const bool m_showProgress;
    ProgressLine m_progress;
    std::vector<int32_t> m_levels;
    std::unique_ptr<StripePool> m_pool;  // none when every row of the part is kept
    int64_t m_rowsToCompute = 0;
    int64_t m_rowsToRead = 0;
    int64_t m_rowsRead = 0;
    const std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point m_lastReport = m_started;
};

// The display bitmap the window shows of a grid in a client area, filled a row at a time from
// the top down as the grid's rows come from the top down: only the image rows that the bitmap
// row being filled takes are kept, coloured.
class BitmapRows {
public:
    BitmapRows(Size grid, Size bitmap)
        : m_resampler(grid, bitmap), m_grid(grid), m_bitmap(bitmap), m_nextRow(bitmap.height - 1),
          m_span(ImageRowsOf({m_nextRow, m_nextRow + 1}, grid.height, bitmap.height)),
          m_row(static_cast<size_t>(bitmap.width))
    {
        int32_t longestSpan = 0;
        for (int32_t y = 0; y < bitmap.height; ++y) {
            const RowRange span = ImageRowsOf({y, y + 1}, grid.height, bitmap.height);
            longestSpan = std::max(longestSpan, span.last - span.first);
        }
        m_image.resize(static_cast<size_t>(longestSpan) * grid.width);
    }

    // Where the colours of image row `row` go, the rows from the top down.
    uint32_t* ImageRow(int32_t row) { return m_image.data() + int64_t{row - m_span.first} * m_grid.width; }

    // Fills and passes on every bitmap row whose image rows are all there, once image row
    // `row` is: row 0 of the bitmap is its bottom row.
    template <typename Pass>
    Status PassFinishedRows(int32_t row, const Pass& pass)
    {
        while (m_nextRow >= 0 && m_span.first >= row) {
            m_resampler.Fill(m_image.data(), m_span.first, {m_nextRow, m_nextRow + 1}, m_row.data());
            if (Status passed = pass(m_row.data()); !passed) {
                return passed;
            }
            // The next row's span is this one again (an enlarged image repeats rows) or the
            // rows just below it, which come next.
            --m_nextRow;
            if (m_nextRow >= 0) {
                m_span = ImageRowsOf({m_nextRow, m_nextRow + 1}, m_grid.height, m_bitmap.height);
            }
        }
        return {};
    }

private:

    BoxResampler m_resampler;
    Size m_grid;
    Size m_bitmap;
    int32_t m_nextRow;  // the next bitmap row to fill
    RowRange m_span;    // the image rows it takes
    std::vector<uint32_t> m_image;
    std::vector<uint32_t> m_row;
};

// The coloured picture as a PNG that names the command making it again: with --grid the grid
// coloured a row at a time, with --fit the display bitmap the window shows in that area.
class PictureOutput {
public:
    PictureOutput(const RenderOptions& options, int32_t stripes, ByteSink& sink)
        : m_table(MakeColorTable(options.scheme, options.reverse)), m_writer(sink)
    {
        const Size grid{options.gridWidth, options.gridHeight};
        m_size = grid;
        if (options.clientWidth != 0) {
            m_size = DisplayBitmapSize(grid, {options.clientWidth, options.clientHeight});
            if (m_size.width < 1 || m_size.height < 1) {
                throw std::bad_alloc();
            }
            m_bitmap.emplace(grid, m_size);
        }
        m_row.resize(static_cast<size_t>(grid.width));
        m_texts = {{"Software", "corvalis-render " CORVALIS_VERSION}, {"Command", ReproducingCommand(options, stripes)}};
    }

    Status Start() { return m_writer.Start(m_size, m_texts); }

    Status AddRow(int32_t gridRow, const int32_t* levels)
    {
        uint32_t* colours = m_bitmap ? m_bitmap->ImageRow(gridRow) : m_row.data();
        for (size_t column = 0; column < m_row.size(); ++column) {
            colours[column] = m_table[std::clamp<int32_t>(levels[column], 0, 255)];
        }
        if (!m_bitmap) {
            return m_writer.AddRow(colours);
        }
        return m_bitmap->PassFinishedRows(gridRow, [this](const uint32_t* row) { return m_writer.AddRow(row); });
    }

    Status Finish() { return m_writer.Finish(); }

private:
    const ColorTable m_table;
    PngWriter m_writer;
    Size m_size;
    std::vector<PngText> m_texts;
    std::vector<uint32_t> m_row;
    std::optional<BitmapRows> m_bitmap;
};

// Where the outputs are written while the rows are computed.
struct OutputSinks {
    ByteSink* levels = nullptr;
    ByteSink* picture = nullptr;
};

// A failure while the rows are computed and written: of an output's sink or encoder, told with
// that output's name, or of the computation.
struct RowsFailure {
    ByteSink* sink = nullptr;  // the output at fault; null for the computation
    Failure failure;
};

// What a run does: its options, the split of the rows whose values the levels have, the
// threads that compute, and where rows are kept or read.
struct Run {
    const RenderOptions& options;
    int32_t stripes;
    int32_t threads;
    KeptRows* kept;  // none without --rows and --from
    bool showProgress;
    const FilmProgress* film;  // where the film stands; none for a single picture
};

// Takes the run's rows from the top down, kept or computed, and writes each row to the outputs
// as soon as the rows above it are written.
std::optional<RowsFailure> ComputeAndWrite(const Run& run, const OutputSinks& sinks)
{
    const RenderOptions& options = run.options;
    const Size grid{options.gridWidth, options.gridHeight};
    std::optional<PgmWriter> levels;
    std::optional<PictureOutput> picture;
    if (sinks.levels != nullptr) {
        levels.emplace(*sinks.levels);
    }
    if (sinks.picture != nullptr) {
        picture.emplace(options, run.stripes, *sinks.picture);
    }
    RowSupply rows(options, run.kept, run.showProgress, run.film);
    if (Status started = rows.Start(run.stripes, run.threads); !started) {
        return RowsFailure{nullptr, started.Error()};
    }
    const auto failed = [](ByteSink* sink, Status status) {
        return status ? std::nullopt : std::optional(RowsFailure{sink, status.Error()});
    };
    if (levels) {
        if (auto failure = failed(sinks.levels, levels->Start(grid))) {
            return failure;
        }
    }
    if (picture) {
        if (auto failure = failed(sinks.picture, picture->Start())) {
            return failure;
        }
    }
    for (int32_t row = grid.height - 1; row >= 0; --row) {
        if (!rows.InPart(row)) {
            continue;
        }
        const Result<const int32_t*> next = rows.Next(row);
        if (!next) {
            return RowsFailure{nullptr, next.Error()};
        }
        if (levels) {
            if (auto failure = failed(sinks.levels, levels->AddRow(*next))) {
                return failure;
            }
        }
        if (picture) {
            if (auto failure = failed(sinks.picture, picture->AddRow(row, *next))) {
                return failure;
            }
        }
    }
    if (levels) {
        if (auto failure = failed(sinks.levels, levels->Finish())) {
            return failure;
        }
    }
    if (picture) {
        if (auto failure = failed(sinks.picture, picture->Finish())) {
            return failure;
        }
    }
    if (InterruptSignal() != 0) {
        return RowsFailure{nullptr, Failure::Interrupt()};
    }
    if (run.kept != nullptr) {
        if (Status synced = run.kept->Sync(); !synced) {
            return RowsFailure{nullptr, synced.Error()};
        }
    }
    return std::nullopt;
}

// Computes the rows and writes the outputs as one transaction: every output is opened, the
// files that are replaced as new files beside them, and each Write holds the next one, so that
// all are written in one pass of the computation; only then the new files are renamed over the
// old ones, those of replaced files first. A failure or an interrupt before the end leaves every
// old file as it was.
Status RenderOutputs(const Run& run, const Outputs& outputs)
{
    struct Output {
        const OutputTarget* target;
        ByteSink* OutputSinks::*sink;
    };
    std::vector<Output> writes;
    if (outputs.levels) {
        writes.push_back({&*outputs.levels, &OutputSinks::levels});
    }
    if (outputs.picture) {
        writes.push_back({&*outputs.picture, &OutputSinks::picture});
    }
    if (writes.empty()) {
        const std::optional<RowsFailure> failure = ComputeAndWrite(run, {});
        return failure ? Status{failure->failure} : Status{};
    }
    std::stable_partition(writes.begin(), writes.end(),
                          [](const Output& output) { return output.target->kind == OutputTarget::Kind::Replace; });
    OutputTransaction transaction;
    OutputSinks sinks;
    std::optional<RowsFailure> rowsFailure;
    std::optional<Failure> told;  // the failure as it is to be told
    // Each output's encoder gives back the failure of its own sink unchanged, for the
    // transaction to name the output; any other failure has been told already.
    std::function<Status(size_t)> writeFrom = [&](size_t k) {
        ByteSink*& sink = sinks.*writes[k].sink;
        const Status written = transaction.Write(*writes[k].target, [&](ByteSink& opened) -> Status {
            sink = &opened;
            const Status inner = k + 1 < writes.size() ? writeFrom(k + 1) : [&]() -> Status {
                rowsFailure = ComputeAndWrite(run, sinks);
                if (rowsFailure && rowsFailure->sink == nullptr) {
                    told = rowsFailure->failure;
                }
                return rowsFailure ? Status{rowsFailure->failure} : Status{};
            }();
            return !inner && rowsFailure && rowsFailure->sink == sink ? Status{rowsFailure->failure} : inner;
        });
        const bool ownFailure = !rowsFailure || rowsFailure->sink == sink;
        if (!written && !told && ownFailure) {
            told = written.Error();
        }
        return written;
    };
    if (Status written = writeFrom(0); !written) {
        return *told;
    }
    return transaction.Commit();
}

// Where the rows of the run are kept or read, opened and checked before anything is computed:
// the rows file of --rows, or the files of --from, whose computation the options then take.
Result<std::optional<KeptRows>> OpenKeptRows(RenderOptions& options, int32_t stripes)
{
    if (!options.fromPaths.empty()) {
        Result<KeptRows> gathered = KeptRows::Gather(options.fromPaths);
        if (!gathered) {
            return gathered.Error();
        }
        const RowsComputation& computation = gathered->Computation();
        options.region = computation.region;
        options.gridWidth = computation.grid.width;
        options.gridHeight = computation.grid.height;
        options.clientWidth = computation.client.width;
        options.clientHeight = computation.client.height;
        options.stripes = computation.stripes;
        return std::optional(std::move(*gathered));
    }
    if (options.rowsPath.empty()) {
        return std::optional<KeptRows>();
    }
    const RowsComputation computation{options.region, {options.gridWidth, options.gridHeight},
                                      {options.clientWidth, options.clientHeight}, stripes,
                                      std::max(options.shards, 1)};
    Result<KeptRows> opened = KeptRows::OpenToKeep(options.rowsPath, {computation, options.shard});
    if (!opened) {
        return opened.Error();
    }
    return std::optional(std::move(*opened));
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
    for (const auto& [option, target] : {std::pair{"--levels", &outputs.levels}, std::pair{"-o", &outputs.picture}}) {
        for (const auto& [rowsOption, name] : rowsFiles) {
            if (*target && IsSameEntry((*target)->file, PathFromUtf8(name))) {
                return Failure::Because(std::string(option) + " " + QuotedName((*target)->name) + " is the rows file " +
                                        rowsOption + " " + QuotedName(name));
            }
        }
    }
    return {};
}


int32_t StripesOf(const RenderOptions& options)
{
    return options.stripes > 0 ? options.stripes : ProcessorCount();
}

// Makes one picture: checks its outputs, opens its rows files, then computes or reads its rows
// and writes the outputs.
Status RenderPicture(RenderOptions& options, const FilmProgress* film)
{
    const Result<Outputs> outputs = FindOutputs(options);
    if (!outputs) {
        return outputs.Error();
    }
    if (Status apart = CheckRowsFilesKept(options, *outputs); !apart) {
        return apart;
    }
    Result<std::optional<KeptRows>> kept = OpenKeptRows(options, StripesOf(options));
    if (!kept) {
        return kept.Error();
    }
    // --from has set the stripes of its files.
    const Run run{options, StripesOf(options), options.threads > 0 ? options.threads : ProcessorCount(),
                  kept->has_value() ? &**kept : nullptr, !options.quiet && IsTerminal(stderr), film};
    return RenderOutputs(run, *outputs);
}

// The command that makes the picture of the options, and the files it writes.
std::string PictureCommand(const RenderOptions& options)
{
    std::string command = ReproducingCommand(options, StripesOf(options));
    for (const auto& [option, name] : {std::pair{" --levels ", &options.levelsPath},
                                       std::pair{" -o ", &options.picturePath}, std::pair{" --rows ", &options.rowsPath}}) {
        if (!name->empty()) {
            command += option + (*name == "-" ? *name : QuotedName(*name));
        }
    }
    return command;
}

// Frame `frame` of the film as a picture of its own: its region, its grid, its files.
Result<RenderOptions> FrameOptions(const RenderOptions& film, int32_t frame)
{
    RenderOptions options = film;
    options.region = FrameRegion(film.region, *film.zoomTo, frame, film.frames);
    options.zoomTo.reset();
    options.frames = 0;
    options.shard = 0;
    options.shards = 0;
    for (std::string* name : {&options.levelsPath, &options.picturePath, &options.rowsPath}) {
        if (!name->empty() && *name != "-") {
            *name = FrameName(*name, frame);
        }
    }
    if (std::string fault = SizeFittedGrid(options); !fault.empty()) {
        return Failure::Because("frame " + std::to_string(frame) + ": " + fault);
    }
    return options;
}

// Whether a frame's files are all there, complete: a PNG that carries the frame's command, a
// PGM of its grid. A frame written to standard output is never complete.
bool FrameComplete(const RenderOptions& frame)
{
    if (frame.picturePath == "-" || frame.levelsPath == "-") {
        return false;
    }
    if (!frame.picturePath.empty()) {
        const auto texts = ReadCompletePngTexts(PathFromUtf8(frame.picturePath));
        const std::string command = ReproducingCommand(frame, StripesOf(frame));
        if (!texts || std::ranges::none_of(*texts, [&](const PngText& text) {
                return text.keyword == "Command" && text.text == command;
            })) {
            return false;
        }
    }
    return frame.levelsPath.empty() ||
           IsCompletePgm(PathFromUtf8(frame.levelsPath), {frame.gridWidth, frame.gridHeight});
}

// Makes the frames of the film in the options' shard of them, in order, but for those whose
// files are complete; with --dry-run, prints their commands instead.
Status RenderFilm(const RenderOptions& film)
{
    std::vector<RenderOptions> frames;
    std::vector<double> costs;
    for (int32_t frame = 0; frame < film.frames; ++frame) {
        Result<RenderOptions> options = FrameOptions(film, frame);
        if (!options) {
            return options.Error();
        }
        costs.push_back(FrameCost({options->gridWidth, options->gridHeight}, options->region.xmax - options->region.xmin));
        frames.push_back(std::move(*options));
    }
    std::vector<int32_t> inShard(frames.size());
    std::iota(inShard.begin(), inShard.end(), 0);
    if (film.shards != 0) {
        inShard = FramesOfShard(costs, film.shard, film.shards);
    }
    if (film.dryRun) {
        for (int32_t frame : inShard) {
            std::printf("frame %d: %s\n", frame, PictureCommand(frames[static_cast<size_t>(frame)]).c_str());
        }
        return std::fflush(stdout) == 0 ? Status{} : Status{Failure::Because(std::strerror(errno))};
    }
    std::vector<int32_t> toDo;
    FilmProgress progress;
    for (int32_t frame : inShard) {
        if (!FrameComplete(frames[static_cast<size_t>(frame)])) {
            toDo.push_back(frame);
            progress.costToDo += costs[static_cast<size_t>(frame)];
        }
    }
    progress.framesToDo = static_cast<int32_t>(toDo.size());
    const auto started = std::chrono::steady_clock::now();
    for (int32_t frame : toDo) {
        progress.frame = frame;
        progress.frameCost = costs[static_cast<size_t>(frame)];
        progress.secondsBefore = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (Status made = RenderPicture(frames[static_cast<size_t>(frame)], &progress); !made) {
            return made.Error().WithContext("frame " + std::to_string(frame));
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
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    CatchInterrupts();
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    ParseResult parsed = ParseRenderOptions({arguments.begin(), arguments.end()});
    if (!parsed.error.empty()) {
        return Stop(Failure::Because(parsed.error));
    }
    RenderOptions& options = parsed.options;
    if (options.help) {
        if (std::fputs(RenderUsage().c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
            return Stop(Failure::Because(std::string("cannot write the help: ") + std::strerror(errno)));
        }
        return 0;
    }
    try {
        Status done;
        if (options.frames != 0) {
            done = RenderFilm(options);
        } else if (options.dryRun) {
            done = std::printf("%s\n", PictureCommand(options).c_str()) >= 0 && std::fflush(stdout) == 0
                       ? Status{}
                       : Status{Failure::Because(std::strerror(errno))};
        } else {
            done = RenderPicture(options, nullptr);
        }
        return done ? 0 : Stop(done.Error(), options.rowsPath);
    } catch (const std::bad_alloc&) {
        return Stop(OutOfMemory(options));
    }
}
