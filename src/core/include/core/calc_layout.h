// The arithmetic of a calculation start: the grid size fitted to the available area and the
// region's aspect, and the stripe of rows and region values that each worker receives.
#pragma once

#include "core/calc_region.h"
#include "core/orbit_density.h"
#include "platform/geometry.h"

#include <cstdint>
#include <optional>

// Free margin around the picture in the view, left and right and above and below.
inline constexpr int32_t kViewMargin = 20;

// Fits the grid to an available area of availableWidth × availableHeight pixels (both > 0).
// The region's aspect is compared with the integer quotient of the area; where that quotient
// is 0 (an area taller than wide) with the exact ratio instead, so the grid stays near the area.
Size FitGridToArea(int32_t availableWidth, int32_t availableHeight, const CalcRegion& region);

// Fits the grid to a view client area less its margins; no grid when no room is left.
std::optional<Size> FitGridToClient(int32_t clientWidth, int32_t clientHeight, const CalcRegion& region);

// Rows of worker `worker` of `workers`: [(i × H) ÷ N, ((i + 1) × H) ÷ N).
RowRange StripeBounds(int32_t worker, int32_t workers, int32_t gridHeight);

// The SetStripe values of the given rows of a width × height grid over the region; without
// cells when `levels` is null.
StripeSpec StripeFor(int32_t* levels, Size grid, const CalcRegion& region, RowRange rows);
