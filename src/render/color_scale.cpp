#include "render/color_scale.h"

#include "core/truncate.h"

#include <algorithm>
#include <cstddef>

namespace {

// Whether the stops run from 0.0 through strictly increasing positions to exactly 1.0, where
// the segment search ends.
consteval bool IsScale(std::span<const ColorStop> stops)
{
    if (stops.size() < 2 || stops.front().position != 0.0 || stops.back().position != 1.0) {
        return false;
    }
    for (size_t k = 1; k < stops.size(); ++k) {
        if (!(stops[k - 1].position < stops[k].position)) {
            return false;
        }
    }
    return true;
}

// Each row stands at its scheme's value, and a row with stops is a well-formed scale; the rows with
// a radio button come first, since the dialog gives a button's position as the scheme. (Whether a
// row without stops has its colour map is checked by the tests: the address of an object defined
// elsewhere is no constant where the sanitizers instrument it.)
consteval bool ColorSchemesAreWellFormed()
{
    for (size_t row = 0; row < std::size(kColorSchemes); ++row) {
        const ColorSchemeRow& scheme = kColorSchemes[row];
        const bool buttonAfterNone = row > 0 && !scheme.label.empty() && kColorSchemes[row - 1].label.empty();
        if (static_cast<size_t>(scheme.scheme) != row || (!scheme.stops.empty() && !IsScale(scheme.stops)) ||
            buttonAfterNone) {
            return false;
        }
    }
    return true;
}
static_assert(ColorSchemesAreWellFormed());

// One channel of (1 − t) × a + t × b, truncated toward zero and then clamped to 0..255.
uint32_t BlendChannel(uint32_t from, uint32_t to, double t, int shift)
{
    const double a = static_cast<double>((from >> shift) & 0xFF);
    const double b = static_cast<double>((to >> shift) & 0xFF);
    const int32_t v = std::clamp(TruncToInt32((1.0 - t) * a + t * b), 0, 255);
    return static_cast<uint32_t>(v) << shift;
}

}  // namespace

const ColorSchemeRow& SchemeRow(ColorScheme scheme)
{
    const auto row = static_cast<size_t>(scheme);
    return kColorSchemes[row < std::size(kColorSchemes) ? row : static_cast<size_t>(ColorScheme::Monochrome)];
}

ColorScheme WindowColorScheme(int32_t stored)
{
    const auto row = static_cast<size_t>(stored);
    return row < std::size(kColorSchemes) && !kColorSchemes[row].label.empty() ? kColorSchemes[row].scheme
                                                                               : ColorScheme::Monochrome;
}

std::optional<ColorScheme> FindColorScheme(std::string_view name)
{
    for (const ColorSchemeRow& row : kColorSchemes) {
        if (row.name == name) {
            return row.scheme;
        }
    }
    return std::nullopt;
}

uint32_t ScaleColor(ColorScheme scheme, double position)
{
    const ColorSchemeRow& row = SchemeRow(scheme);
    if (row.colors != nullptr) {
        return 0.0 <= position && position < 1.0 ? (*row.colors)[TruncToInt32(position * 256.0)] : 0x000000;
    }
    const std::span<const ColorStop> stops = row.stops;
    for (size_t k = 0; stops[k].position < 1.0; ++k) {
        const ColorStop& from = stops[k];
        const ColorStop& to = stops[k + 1];
        if (from.position <= position && position < to.position) {
            const double t = (position - from.position) / (to.position - from.position);
            return BlendChannel(from.color, to.color, t, 16) | BlendChannel(from.color, to.color, t, 8) |
                   BlendChannel(from.color, to.color, t, 0);
        }
    }
    return 0x000000;
}

ColorTable MakeColorTable(ColorScheme scheme, bool reverse)
{
    const int32_t reversedFrom = SchemeRow(scheme).colors != nullptr ? 255 : 256;
    ColorTable table;
    for (int32_t level = 0; level < static_cast<int32_t>(table.size()); ++level) {
        const int32_t step = reverse ? reversedFrom - level : level;
        table[level] = ScaleColor(scheme, step * 0.00390625);  // step / 256, exact
    }
    return table;
}
