#include "render/region_label.h"

#include "core/truncate.h"

#include <charconv>
#include <cmath>

int32_t LabelPrecision(double extent, int32_t clientExtent)
{
    return TruncToInt32(1.0 - std::log10(extent / clientExtent));
}

std::string FormatFixed(double value, int32_t precision)
{
    if (precision < 0) {
        precision = 6;
    }
    // The longest finite double has 309 integer digits; the sign and the point add two.
    std::string text(static_cast<size_t>(precision) + 320, '\0');
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed,
                                      precision);
    text.resize(static_cast<size_t>(result.ptr - text.data()));
    return text;
}

std::string FormatRegionLabel(const CalcRegion& region, int32_t clientWidth, int32_t clientHeight)
{
    const int32_t precX = LabelPrecision(region.xmax - region.xmin, clientWidth);
    const int32_t precY = LabelPrecision(region.ymax - region.ymin, clientHeight);
    return "( " + FormatFixed(region.xmin, precX) + " , " + FormatFixed(region.ymin, precY) + " )---( " +
           FormatFixed(region.xmax, precX) + " , " + FormatFixed(region.ymax, precY) + " )";
}
