// The colour schemes, each a piecewise-linear scale through colour stops, and the 256-entry
// table through which every density level becomes a colour value 0x00RRGGBB.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// A scheme's value is its row in kColorSchemes. The application stores it as that number,
// which is also the position of the scheme's radio button in the colour dialog.
enum class ColorScheme : int32_t { Blue, Red, Green, Monochrome };

struct ColorStop {
    double position;
    uint32_t color;
};

struct ColorSchemeRow {
    ColorScheme scheme;
    std::string_view name;   // corvalis-render --scheme NAME
    std::string_view label;  // the text of its radio button in the colour dialog
    // Strictly increasing positions from 0.0 to exactly 1.0; the stop at 1.0 ends the search.
    std::span<const ColorStop> stops;
};

inline constexpr ColorStop kBlueStops[] = {{0.0, 0x000000}, {0.3, 0x0011FF}, {0.5, 0x11BBFF}, {1.0, 0xFFFFFF}};
inline constexpr ColorStop kRedStops[] = {{0.0, 0x000000}, {0.3, 0xFF0000}, {0.5, 0xFFFF00}, {1.0, 0xFFFFFF}};
inline constexpr ColorStop kGreenStops[] = {{0.0, 0x000000}, {0.3, 0x00DD33}, {0.5, 0xEEFF33}, {1.0, 0xFFFFFF}};
inline constexpr ColorStop kMonochromeStops[] = {{0.0, 0x000000}, {1.0, 0xFFFFFF}};

inline constexpr ColorSchemeRow kColorSchemes[] = {
    {ColorScheme::Blue, "blue", "青系", kBlueStops},
    {ColorScheme::Red, "red", "赤系", kRedStops},
    {ColorScheme::Green, "green", "緑系", kGreenStops},
    {ColorScheme::Monochrome, "mono", "モノクロ", kMonochromeStops},
};

// The row of a scheme; a scheme outside the table reads as monochrome.
const ColorSchemeRow& SchemeRow(ColorScheme scheme);

// The scheme with this command-line name (exactly, case included).
std::optional<ColorScheme> FindColorScheme(std::string_view name);

// Colour of each level 0..255.
using ColorTable = std::array<uint32_t, 256>;

// Colour of the scheme's scale at `position`. Segments are half-open, so a position on an inner
// stop gives that stop's colour; 1.0 and beyond, negative positions and NaN give black.
uint32_t ScaleColor(ColorScheme scheme, double position);

// Entry i is the scale's colour at i / 256, or at 1 − i / 256 when `reverse` is set.
ColorTable MakeColorTable(ColorScheme scheme, bool reverse);
