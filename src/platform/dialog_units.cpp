#include "platform/dialog_units.h"

#include <cstdlib>
#include <limits>

int32_t MulDivRound(int32_t a, int32_t b, int32_t c)
{
    if (c == 0) {
        return -1;
    }
    const int64_t product = static_cast<int64_t>(a) * b;
    const auto productMagnitude = static_cast<uint64_t>(std::llabs(product));
    const auto divisor = static_cast<uint64_t>(std::llabs(c));
    const uint64_t magnitude = (productMagnitude * 2 + divisor) / (2 * divisor);
    if (magnitude > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
        return -1;
    }
    const auto result = static_cast<int32_t>(magnitude);
    return (product < 0) != (c < 0) ? -result : result;
}

int32_t PointsToPixels(int32_t points, int32_t dotsPerInch)
{
    return MulDivRound(points, dotsPerInch, 72);
}

DialogBaseUnits BaseUnitsOf(int32_t lettersWidth, int32_t fontHeight)
{
    const auto letters = static_cast<int32_t>(kBaseUnitLetters.size());
    return {(lettersWidth + letters / 2) / letters, fontHeight};
}

Rect DialogUnitsToPixels(Rect units, DialogBaseUnits base)
{
    return {MulDivRound(units.x, base.cx, 4), MulDivRound(units.y, base.cy, 8), MulDivRound(units.width, base.cx, 4),
            MulDivRound(units.height, base.cy, 8)};
}
