// The one rule by which floating-point values become 32-bit integers in this program.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Truncates toward zero. Infinities and NaN become 0; finite values beyond the
// 32-bit range saturate at its ends instead of wrapping (never undefined behaviour).
constexpr int32_t TruncToInt32(double v)
{
    if (!(v - v == 0.0)) {  // NaN or infinite
        return 0;
    }
    if (v >= 2147483648.0) {
        return std::numeric_limits<int32_t>::max();
    }
    if (v <= -2147483649.0) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(v);
}
