// The colour schemes, each a piecewise-linear scale through colour stops or a published colour
// map of 256 colours, and the 256-entry table through which every density level becomes a colour
// value 0x00RRGGBB.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// A scheme's value is its row in kColorSchemes. The window stores it as that number, which is
// also the position of the scheme's radio button in the colour dialog: the schemes with a button
// come first, the colour maps after them have none.
enum class ColorScheme : int32_t { Blue, Red, Green, Monochrome, Viridis, Magma, Inferno, Cividis };

struct ColorStop {
    double position;
    uint32_t color;
};

// Colour of each level 0..255.
using ColorTable = std::array<uint32_t, 256>;

// The published colour maps, in color_maps.cpp.
extern const ColorTable kViridisColors;
extern const ColorTable kMagmaColors;
extern const ColorTable kInfernoColors;
extern const ColorTable kCividisColors;

// A scheme is a scale through stops or a colour map, never both.
struct ColorSchemeRow {
    ColorScheme scheme;
    std::string_view name;   // corvalis-render --scheme NAME
    std::string_view label;  // the text of its radio button in the colour dialog; empty: it has none
    // A scale: strictly increasing positions from 0.0 to exactly 1.0; the stop at 1.0 ends the search.
    std::span<const ColorStop> stops;
    // A colour map: its 256 colours from the low end up.
    const ColorTable* colors = nullptr;
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
    {ColorScheme::Viridis, "viridis", "", {}, &kViridisColors},
    {ColorScheme::Magma, "magma", "", {}, &kMagmaColors},
    {ColorScheme::Inferno, "inferno", "", {}, &kInfernoColors},
    {ColorScheme::Cividis, "cividis", "", {}, &kCividisColors},
};

// The row of a scheme; a scheme outside the table reads as monochrome.
const ColorSchemeRow& SchemeRow(ColorScheme scheme);

// The scheme the window shows for the number it stores: the scheme of a radio button in the
// colour dialog, any other number monochrome.
ColorScheme WindowColorScheme(int32_t stored);

// The scheme with this command-line name (exactly, case included).
std::optional<ColorScheme> FindColorScheme(std::string_view name);

// Colour of the scheme at `position`: of a scale, the blend of the segment that holds it, where
// segments are half-open, so a position on an inner stop gives that stop's colour; of a colour
// map, colour trunc(position × 256). 1.0 and beyond, negative positions and NaN give black.
uint32_t ScaleColor(ColorScheme scheme, double position);

// Entry i is the scheme's colour at i / 256. Reversed, a scale's entry i is its colour at
// 1 − i / 256 (so level 0 stays black), a colour map's entry i its colour 255 − i.
ColorTable MakeColorTable(ColorScheme scheme, bool reverse);
