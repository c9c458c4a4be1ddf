// corvalis-render: computes an orbit-density diagram without a window and writes it to files.
#include "core/calc_layout.h"
#include "core/level_grid.h"
#include "core/stripe_pool.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/file_path.h"
#include "platform/interrupt.h"
#include "platform/result.h"
#include "platform/system_info.h"
#include "render/image_pipeline.h"
#include "tools/output_file.h"
#include "tools/pgm_file.h"
#include "tools/png_file.h"
#include "tools/progress.h"
#include "tools/render_options.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

// Says why the program stops and gives its exit status: 128 + the signal's number after an
// interrupt, 2 after an error.
int Stop(const Failure& failure)
{
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

// Computes the grid's rows with the values of a split into `stripes` stripes, on `threads`
// threads that share the rows out, showing progress on a terminal and stopping on an interrupt.
Status ComputeGrid(std::vector<int32_t>& levels, const RenderOptions& options, int32_t stripes,
                   int32_t threads, bool showProgress)
{
    const Size grid{options.gridWidth, options.gridHeight};
    std::vector<StripeSpec> specs;
    for (int32_t i = 0; i < stripes; ++i) {
        specs.push_back(StripeFor(levels.data(), grid, options.region, StripeBounds(i, stripes, grid.height)));
    }
    const std::unique_ptr<StripePool> pool = StripePool::Start(std::move(specs), threads);
    if (pool == nullptr) {
        return Failure::Because("cannot start " + std::to_string(threads) + " threads");
    }
    ProgressLine progress(showProgress && EnableTerminalSequences(stderr));
    const auto started = std::chrono::steady_clock::now();
    auto lastReport = started;
    while (!pool->Finished() && InterruptSignal() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const auto now = std::chrono::steady_clock::now();
        if (showProgress && now - lastReport >= std::chrono::seconds(1)) {
            lastReport = now;
            const double elapsed = std::chrono::duration<double>(now - started).count();
            std::fputs(progress.Redraw(FormatProgress(pool->RowsDone(), grid.height, elapsed)).c_str(), stderr);
        }
    }
    if (showProgress && lastReport != started) {
        std::fputs(progress.Clear().c_str(), stderr);
    }
    if (InterruptSignal() != 0) {
        return Failure::Interrupt();  // the pool cancels and joins its threads as it goes
    }
    if (!pool->Complete()) {
        return OutOfMemory(options);
    }
    return {};
}

// Writes the levels as a PGM.
Status WriteLevels(const std::vector<int32_t>& levels, const RenderOptions& options, ByteSink& sink)
{
    return WritePgm(levels, {options.gridWidth, options.gridHeight}, sink);
}

// Writes the coloured picture as a PNG that names the command making it again: with --grid the
// grid coloured a row at a time, with --fit the display bitmap the window shows in that area.
Status WritePicture(std::vector<int32_t>& levels, const RenderOptions& options, int32_t stripes, ByteSink& sink)
{
    const std::vector<PngText> texts = {{"Software", "corvalis-render " CORVALIS_VERSION},
                                        {"Command", ReproducingCommand(options, stripes)}};
    const ColorTable table = MakeColorTable(options.scheme, options.reverse);
    if (options.clientWidth == 0) {
        PixelBuffer row;
        AllocPixels(row, {options.gridWidth, 1});
        if (row.PixelCount() == 0) {
            throw std::bad_alloc();
        }
        const PixelRows colourRow = [&](int32_t index, uint32_t* colours) {
            const int64_t first = int64_t{index} * options.gridWidth;
            ColorizeLevels([&](int64_t column) { return LoadLevel(levels.data(), first + column); }, table, row);
            std::copy(row.pixels.get(), row.pixels.get() + row.width, colours);
        };
        return WritePng({options.gridWidth, options.gridHeight}, colourRow, texts, sink);
    }
    WindowPicture picture;
    AllocPicture(picture, {options.gridWidth, options.gridHeight}, {options.clientWidth, options.clientHeight});
    const PixelBuffer& bitmap = picture.bitmap;
    if (picture.image.PixelCount() == 0 || bitmap.PixelCount() == 0) {
        throw std::bad_alloc();
    }
    ComposePictureRows(SharedLevels{levels.data()}, table, picture, {0, bitmap.height});
    const PixelRows bitmapRow = [&bitmap](int32_t index, uint32_t* colours) {
        const uint32_t* first = bitmap.pixels.get() + int64_t{index} * bitmap.width;
        std::copy(first, first + bitmap.width, colours);
    };
    return WritePng({bitmap.width, bitmap.height}, bitmapRow, texts, sink);
}

// Writes the outputs as one transaction: the files that are replaced first, each into a new
// file beside it; then the streams, in place; and only then the new files renamed over the old
// ones. A failure or an interrupt before the end leaves every old file as it was.
Status WriteOutputs(std::vector<int32_t>& levels, const RenderOptions& options, int32_t stripes, const Outputs& outputs)
{
    struct Output {
        const OutputTarget* target;
        std::function<Status(ByteSink&)> encode;
    };
    std::vector<Output> writes;
    if (outputs.levels) {
        writes.push_back({&*outputs.levels, [&](ByteSink& sink) { return WriteLevels(levels, options, sink); }});
    }
    if (outputs.picture) {
        writes.push_back({&*outputs.picture, [&](ByteSink& sink) { return WritePicture(levels, options, stripes, sink); }});
    }
    std::stable_partition(writes.begin(), writes.end(),
                          [](const Output& output) { return output.target->kind == OutputTarget::Kind::Replace; });
    OutputTransaction transaction;
    for (const Output& output : writes) {
        if (Status written = transaction.Write(*output.target, output.encode); !written) {
            return written;
        }
        if (InterruptSignal() != 0) {
            return Failure::Interrupt();
        }
    }
    return transaction.Commit();
}

}  // namespace

int main(int argc, char** argv)
{
    CatchInterrupts();
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    const ParseResult parsed = ParseRenderOptions({arguments.begin(), arguments.end()});
    if (!parsed.error.empty()) {
        return Stop(Failure::Because(parsed.error));
    }
    const RenderOptions& options = parsed.options;
    if (options.help) {
        if (std::fputs(RenderUsage().c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
            return Stop(Failure::Because(std::string("cannot write the help: ") + std::strerror(errno)));
        }
        return 0;
    }
    const Result<Outputs> outputs = FindOutputs(options);
    if (!outputs) {
        return Stop(outputs.Error());
    }
    const int32_t stripes = options.stripes > 0 ? options.stripes : ProcessorCount();
    const int32_t threads = options.threads > 0 ? options.threads : ProcessorCount();
    const bool showProgress = !options.quiet && IsTerminal(stderr);
    try {
        std::vector<int32_t> levels(static_cast<size_t>(options.gridWidth) * static_cast<size_t>(options.gridHeight), 0);
        if (Status computed = ComputeGrid(levels, options, stripes, threads, showProgress); !computed) {
            return Stop(computed.Error());
        }
        if (Status written = WriteOutputs(levels, options, stripes, *outputs); !written) {
            return Stop(written.Error());
        }
        return 0;
    } catch (const std::bad_alloc&) {
        return Stop(OutOfMemory(options));
    }
}
