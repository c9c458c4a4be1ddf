#include "core/exact_log.h"

#include <bit>
#include <cfloat>
#include <cstdint>
#include <limits>

// Each operation rounds to double on its own: no wider evaluation here, and the build turns
// off the contraction of a product and a sum into a fused multiply-add for every source.
static_assert(FLT_EVAL_METHOD == 0, "double operations must round to double");

namespace {

constexpr int kMantissaBits = 52;
constexpr uint64_t kMantissaMask = (uint64_t{1} << kMantissaBits) - 1;
constexpr int32_t kExponentBias = 1023;
// The mantissa bits of √2: a mantissa from there on is halved, so that m lies in [√½, √2).
constexpr uint64_t kSqrt2Mantissa = 0x6a09e667f3bcd;
// ln 2 in two parts: the first 42 bits, whose product with any exponent k (|k| < 2^11) is
// exact, and the rest, rounded.
constexpr double kLn2High = 0x1.62e42fefa38p-1;
constexpr double kLn2Low = 0x1.ef35793c7673p-45;

// R(z) = 2 atanh(s) / s − 2 = 2z/3 + 2z²/5 + … + 2z¹⁰/21 with z = s², in two chains of w = z²
// (the odd and the even powers of z) so that they can run side by side. |s| ≤ 3 − 2√2 keeps
// z below 0.0295, where the terms left out are below 2^-53 of R.
double AtanhSeriesRest(double z)
{
    const double w = z * z;
    const double odd = z * (2.0 / 3.0 + w * (2.0 / 7.0 + w * (2.0 / 11.0 + w * (2.0 / 15.0 + w * (2.0 / 19.0)))));
    const double even = w * (2.0 / 5.0 + w * (2.0 / 9.0 + w * (2.0 / 13.0 + w * (2.0 / 17.0 + w * (2.0 / 21.0)))));
    return odd + even;
}

}  // namespace

double ExactLog(double x)
{
    if (!(x > 0.0)) {
        return x == 0.0 ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
    }
    if (x == std::numeric_limits<double>::infinity()) {
        return x;
    }
    int32_t k = 0;
    if (x < DBL_MIN) {
        x *= 0x1p54;  // exact: a subnormal becomes normal
        k = -54;
    }
    // x = 2^k · m with m in [√½, √2), taken apart in its bits.
    const uint64_t bits = std::bit_cast<uint64_t>(x);
    const uint64_t mantissa = bits & kMantissaMask;
    const uint64_t halved = mantissa >= kSqrt2Mantissa ? 1 : 0;
    k += static_cast<int32_t>(bits >> kMantissaBits) - kExponentBias + static_cast<int32_t>(halved);
    const double m = std::bit_cast<double>((uint64_t{kExponentBias} - halved) << kMantissaBits | mantissa);

    // ln m = ln(1 + f) = 2 atanh(s) with s = f / (2 + f), rearranged as f − (f²/2 − s(f²/2 + R))
    // so that the exact f carries the result and the rounding errors fall on the small rest.
    const double f = m - 1.0;  // exact, m being within a factor 2 of 1
    const double s = f / (2.0 + f);
    const double halfSquare = 0.5 * f * f;
    const double rest = s * (halfSquare + AtanhSeriesRest(s * s));
    const double dk = k;
    return dk * kLn2High - ((halfSquare - (rest + dk * kLn2Low)) - f);
}
