// corvalis-render: computes an orbit-density diagram without a window and writes it to files.
#include "calc/calc_layout.h"
#include "calc/win_thread_calc.h"
#include "tools/output_file.h"
#include "tools/render_options.h"

#include <cstdio>
#include <new>
#include <string_view>
#include <vector>

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "corvalis-render: %s\n", message.c_str());
    return 2;
}

// Computes the whole grid as one stripe on one worker, as the coordinator would split it
// for a single worker.
void ComputeGrid(std::vector<int32_t>& levels, GridSize grid, const CalcRegion& region)
{
    CWinThreadCalc worker;
    const StripeSpec stripe = StripeFor(levels.data(), grid, region, StripeBounds(0, 1, grid.height));
    worker.SetStripe(stripe.cells, stripe.width, stripe.rows, stripe.xMin, stripe.yStart,
                     stripe.xRange, stripe.yRange);
    if (!worker.CreateSuspended()) {
        throw std::bad_alloc();
    }
    worker.ResumeThread();
    worker.PostThreadMessage(WM_CALC_QUIT, 0, 0);
    worker.Join();
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParseResult parsed = ParseRenderOptions(args);
    if (!parsed.error.empty()) {
        return Fail(parsed.error);
    }
    const RenderOptions& options = parsed.options;
    if (options.help) {
        std::fputs(kRenderUsage, stdout);
        return 0;
    }
    if (const std::string error = CheckWritable(options.levelsPath); !error.empty()) {
        return Fail(error);
    }
    const GridSize grid{options.gridWidth, options.gridHeight};
    std::vector<int32_t> levels;
    try {
        levels.assign(static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height), 0);
        ComputeGrid(levels, grid, options.region);
    } catch (const std::bad_alloc&) {
        return Fail("not enough memory for a " + std::to_string(grid.width) + "x" +
                    std::to_string(grid.height) + " grid");
    }
    const std::string error = WriteFileWhole(options.levelsPath, EncodePgm(levels, grid.width, grid.height));
    if (!error.empty()) {
        return Fail(error);
    }
    return 0;
}
