// corvalis-render: computes an orbit-density diagram without a window and writes it to files.
#include "core/calc_workers.h"
#include "core/level_grid.h"
#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/system_info.h"
#include "render/image_pipeline.h"
#include "tools/output_file.h"
#include "tools/png_file.h"
#include "tools/progress.h"
#include "tools/render_options.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <new>
#include <string_view>
#include <thread>
#include <vector>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int)
{
    g_interrupted = 1;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "corvalis-render: %s\n", message.c_str());
    return 2;
}

enum class RunResult { Finished, Interrupted, NoThreads };

// Runs the workers over the grid, split into the same stripes as the window splits it, and
// waits for them, showing progress on a terminal and stopping them on Ctrl+C.
RunResult ComputeGrid(std::vector<int32_t>& levels, Size grid, const CalcRegion& region,
                      int32_t threads, bool showProgress)
{
    ProgressLine progress(showProgress && EnableTerminalSequences(stderr));
    const auto started = std::chrono::steady_clock::now();
    WorkerList workers = StartWorkers(levels.data(), grid, region, threads);
    if (workers.empty()) {
        return RunResult::NoThreads;
    }
    auto lastReport = started;
    while (CountRunning(workers) > 0 && g_interrupted == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const auto now = std::chrono::steady_clock::now();
        if (showProgress && now - lastReport >= std::chrono::seconds(1)) {
            lastReport = now;
            const double elapsed = std::chrono::duration<double>(now - started).count();
            std::fputs(progress.Redraw(FormatProgress(RowsDone(workers), grid.height, elapsed)).c_str(), stderr);
        }
    }
    if (showProgress && lastReport != started) {
        std::fputs(progress.Clear().c_str(), stderr);
    }
    const bool interrupted = CountRunning(workers) > 0;
    StopWorkers(workers);
    return interrupted ? RunResult::Interrupted : RunResult::Finished;
}

// The coloured picture: the colourised grid itself, or with a client area the display bitmap
// the window would show there.
PixelBuffer ColouredPicture(std::vector<int32_t>& levels, const RenderOptions& options)
{
    PixelBuffer image;
    AllocPixels(image, {options.gridWidth, options.gridHeight});
    ColorizeLevels(SharedLevels{levels.data()}, MakeColorTable(options.scheme, options.reverse), image);
    if (options.clientWidth == 0) {
        return image;
    }
    const Size client{options.clientWidth, options.clientHeight};
    PixelBuffer bitmap;
    AllocPixels(bitmap, FitBitmapSize(client, {kViewMargin, kViewMargin}, {image.width, image.height}));
    FillDisplayBitmap(image, bitmap);
    return bitmap;
}

// Writes every output asked for; returns the first error.
std::string WriteOutputs(std::vector<int32_t>& levels, const RenderOptions& options)
{
    if (!options.levelsPath.empty()) {
        const std::string error = WriteFileWhole(
            options.levelsPath, EncodePgm(levels, options.gridWidth, options.gridHeight));
        if (!error.empty()) {
            return error;
        }
    }
    if (!options.picturePath.empty()) {
        const PixelBuffer picture = ColouredPicture(levels, options);
        if (picture.PixelCount() == 0) {
            return "not enough memory for the picture";
        }
        return WriteFileWhole(options.picturePath, EncodePng(picture));
    }
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    const ParseResult parsed = ParseRenderOptions({arguments.begin(), arguments.end()});
    if (!parsed.error.empty()) {
        return Fail(parsed.error);
    }
    const RenderOptions& options = parsed.options;
    if (options.help) {
        std::fputs(kRenderUsage, stdout);
        return 0;
    }
    for (const std::string& path : {options.levelsPath, options.picturePath}) {
        if (const std::string error = path.empty() ? "" : CheckWritable(path); !error.empty()) {
            return Fail(error);
        }
    }
    std::signal(SIGINT, OnInterrupt);
    const Size grid{options.gridWidth, options.gridHeight};
    const int32_t threads = options.threads > 0 ? options.threads : ProcessorCount();
    const bool showProgress = !options.quiet && IsTerminal(stderr);
    std::vector<int32_t> levels;
    RunResult result = RunResult::NoThreads;
    try {
        levels.assign(static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height), 0);
        result = ComputeGrid(levels, grid, options.region, threads, showProgress);
    } catch (const std::bad_alloc&) {
        return Fail("not enough memory for a " + std::to_string(grid.width) + "x" +
                    std::to_string(grid.height) + " grid");
    }
    if (result == RunResult::NoThreads) {
        return Fail("cannot start " + std::to_string(threads) + " worker threads");
    }
    if (result == RunResult::Interrupted) {
        std::fputs("corvalis-render: interrupted; nothing written\n", stderr);
        return 130;
    }
    try {
        if (const std::string error = WriteOutputs(levels, options); !error.empty()) {
            return Fail(error);
        }
    } catch (const std::bad_alloc&) {
        return Fail("not enough memory to encode the outputs");
    }
    return 0;
}
