#include "render/color_scale.h"

#include "core/truncate.h"

#include <algorithm>
#include <cstddef>
#include <span>

namespace {

struct ColorStop {
    double position;
    uint32_t color;
};

// Strictly increasing positions from 0.0 to exactly 1.0; the stop at 1.0 ends the search.
constexpr ColorStop kBlueStops[] = {
    {0.0, 0x000000}, {0.3, 0x0011FF}, {0.5, 0x11BBFF}, {1.0, 0xFFFFFF}};
constexpr ColorStop kRedStops[] = {
    {0.0, 0x000000}, {0.3, 0xFF0000}, {0.5, 0xFFFF00}, {1.0, 0xFFFFFF}};
constexpr ColorStop kGreenStops[] = {
    {0.0, 0x000000}, {0.3, 0x00DD33}, {0.5, 0xEEFF33}, {1.0, 0xFFFFFF}};
constexpr ColorStop kMonochromeStops[] = {{0.0, 0x000000}, {1.0, 0xFFFFFF}};

constexpr std::span<const ColorStop> kScales[] = {kBlueStops, kRedStops, kGreenStops,
                                                   kMonochromeStops};
constexpr int32_t kMonochrome = 3;

std::span<const ColorStop> StopsOf(int32_t scheme)
{
    const bool known = scheme >= 0 && scheme < static_cast<int32_t>(std::size(kScales));
    return kScales[known ? scheme : kMonochrome];
}

// One channel of (1 − t) × a + t × b, truncated toward zero and then clamped to 0..255.
uint32_t BlendChannel(uint32_t from, uint32_t to, double t, int shift)
{
    const double a = static_cast<double>((from >> shift) & 0xFF);
    const double b = static_cast<double>((to >> shift) & 0xFF);
    const int32_t v = std::clamp(TruncToInt32((1.0 - t) * a + t * b), 0, 255);
    return static_cast<uint32_t>(v) << shift;
}

}  // namespace

uint32_t ScaleColor(int32_t scheme, double position)
{
    const std::span<const ColorStop> stops = StopsOf(scheme);
    for (size_t k = 0; stops[k].position < 1.0; ++k) {
        const ColorStop& from = stops[k];
        const ColorStop& to = stops[k + 1];
        if (from.position <= position && position < to.position) {
            const double t = (position - from.position) / (to.position - from.position);
            return BlendChannel(from.color, to.color, t, 16) |
                   BlendChannel(from.color, to.color, t, 8) |
                   BlendChannel(from.color, to.color, t, 0);
        }
    }
    return 0x000000;
}

ColorTable MakeColorTable(int32_t scheme, int32_t reverse)
{
    ColorTable table;
    for (int32_t level = 0; level < static_cast<int32_t>(table.size()); ++level) {
        const double position = level * 0.00390625;  // level / 256, exact
        table[level] = ScaleColor(scheme, reverse != 0 ? 1.0 - position : position);
    }
    return table;
}
