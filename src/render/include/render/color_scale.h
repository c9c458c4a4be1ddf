// The four colour scales (blue, red, green, monochrome) and the 256-entry table through which
// every density level becomes a colour value 0x00RRGGBB.
#pragma once

#include <array>
#include <cstdint>

// Colour of each level 0..255.
using ColorTable = std::array<uint32_t, 256>;

// Colour of the scheme's piecewise-linear scale at `position`. Segments are half-open, so a
// position on an inner stop gives that stop's colour; 1.0 and beyond, negative positions and
// NaN give black. A scheme outside 0 blue, 1 red, 2 green, 3 monochrome is read as monochrome.
uint32_t ScaleColor(int32_t scheme, double position);

// Entry i is the scale's colour at i / 256, or at 1 − i / 256 when `reverse` is nonzero.
ColorTable MakeColorTable(int32_t scheme, int32_t reverse);
