#include "core/calc_layout.h"

#include "core/truncate.h"

Size FitGridToArea(int32_t availableWidth, int32_t availableHeight, const CalcRegion& region)
{
    const double xr = region.xmax - region.xmin;
    const double yr = region.ymax - region.ymin;
    const int32_t quotient = availableWidth / availableHeight;
    const double areaRatio = quotient != 0 ? static_cast<double>(quotient)
                                           : static_cast<double>(availableWidth) / availableHeight;
    Size grid;
    if (xr / yr > areaRatio) {
        grid.width = availableWidth;
        grid.height = TruncToInt32((availableWidth / xr) * yr);
    } else {
        grid.height = availableHeight;
        grid.width = TruncToInt32((availableHeight / yr) * xr);
    }
    return grid;
}

std::optional<Size> FitGridToClient(int32_t clientWidth, int32_t clientHeight, const CalcRegion& region)
{
    const int32_t availableWidth = clientWidth - 2 * kViewMargin;
    const int32_t availableHeight = clientHeight - 2 * kViewMargin;
    if (availableWidth <= 0 || availableHeight <= 0) {
        return std::nullopt;
    }
    return FitGridToArea(availableWidth, availableHeight, region);
}

RowRange StripeBounds(int32_t worker, int32_t workers, int32_t gridHeight)
{
    const int64_t height = gridHeight;
    return {static_cast<int32_t>((worker * height) / workers), static_cast<int32_t>(((worker + 1) * height) / workers)};
}

namespace {

// x(p) = (p × xr) ÷ W + xmin and y(r) = (r × yr) ÷ H + ymin, multiplication first.
double GridX(int32_t p, Size grid, const CalcRegion& region)
{
    return (p * (region.xmax - region.xmin)) / grid.width + region.xmin;
}

double GridY(int32_t r, Size grid, const CalcRegion& region)
{
    return (r * (region.ymax - region.ymin)) / grid.height + region.ymin;
}

}  // namespace

StripeSpec StripeFor(int32_t* levels, Size grid, const CalcRegion& region, RowRange rows)
{
    StripeSpec stripe;
    stripe.cells = levels != nullptr ? levels + static_cast<int64_t>(rows.first) * grid.width : nullptr;
    stripe.width = grid.width;
    stripe.rows = rows.last - rows.first;
    stripe.xMin = GridX(0, grid, region);
    stripe.yStart = GridY(rows.first, grid, region);
    stripe.xRange = GridX(grid.width, grid, region) - stripe.xMin;
    stripe.yRange = GridY(rows.last, grid, region) - stripe.yStart;
    return stripe;
}
