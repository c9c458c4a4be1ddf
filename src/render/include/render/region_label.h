// The coordinate label in the corner of the view: the region's lower-left and upper-right
// corners, with as many decimals as one pixel of the client area needs.
#pragma once

#include "core/calc_region.h"

#include <cstdint>
#include <string>

// trunc(1 − log10(extent ÷ clientExtent)); 0 when that is not finite.
int32_t LabelPrecision(double extent, int32_t clientExtent);

// "%.*f" in the C locale whatever the user's locale is; a negative precision gives six decimals.
std::string FormatFixed(double value, int32_t precision);

// "( xmin , ymin )---( xmax , ymax )" for a client area of clientWidth × clientHeight pixels.
std::string FormatRegionLabel(const CalcRegion& region, int32_t clientWidth, int32_t clientHeight);
