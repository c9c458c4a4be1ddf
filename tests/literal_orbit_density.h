// The orbit-density computation written literally, step by step, as the reference that the
// program's computation must match cell for cell. Deliberately simple and slow.
#pragma once

#include "core/exact_log.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace literal {

// Conversion to a 32-bit integer toward zero; infinities and NaN give 0, beyond the
// range saturates.
inline int32_t Trunc(double v)
{
    if (std::isnan(v) || std::isinf(v)) {
        return 0;
    }
    const double t = std::trunc(v);
    if (t > 2147483647.0) {
        return 2147483647;
    }
    if (t < -2147483648.0) {
        return -2147483647 - 1;
    }
    return static_cast<int32_t>(t);
}

// The hits of rows 0..R-1 (R rows of W cells, row i at i × W) exactly as the algorithm is written.
inline std::vector<uint64_t> StripeHits(int32_t W, int32_t R, double xmin, double y0, double xr, double yr)
{
    std::vector<uint64_t> hits;
    std::vector<double> histogram(W > 0 ? W : 0);
    for (int32_t i = 0; i < R; ++i) {
        for (int32_t k = 0; k < W; ++k) {
            histogram[k] = 0.0;
        }
        const double aRow = (static_cast<double>(i) / static_cast<double>(R)) * yr + y0;
        for (int j = 0; j < 10; ++j) {
            const double a = aRow - ((yr / static_cast<double>(R)) * static_cast<double>(j)) * 0.1;
            const int32_t N = Trunc(static_cast<double>(static_cast<int64_t>(W) * 100) / xr);
            double x = 0.12345;
            for (int32_t n = 0; n < N; ++n) {
                x = (x * (1 - x)) * a;
                if (x < -10 || x > 10 || std::isnan(x)) {
                    break;
                }
                const int32_t b = Trunc(((x - xmin) / xr) * static_cast<double>(W));
                if (0 <= b && b < W) {
                    histogram[b] += 1.0;
                }
            }
        }
        for (int32_t k = 0; k < W; ++k) {
            hits.push_back(static_cast<uint64_t>(histogram[k]));
        }
    }
    return hits;
}

// Fills rows 0..R-1 of `cells` (R rows of W cells) exactly as the algorithm is written.
inline void ComputeStripe(int32_t* cells, int32_t W, int32_t R, double xmin, double y0, double xr, double yr)
{
    const std::vector<uint64_t> hits = StripeHits(W, R, xmin, y0, xr, yr);
    for (size_t k = 0; k < hits.size(); ++k) {
        int32_t level = Trunc(static_cast<double>(hits[k]) * 0.02);
        if (level > 255) {
            level = 255;
        }
        cells[k] = level;
    }
}

// A product of derivatives held as m × 2^e, m in [1, 2) or 0.
struct Product {
    double m = 1.0;
    int64_t e = 0;

    void Times(double factor)
    {
        int k = 0;
        m = std::frexp(m * factor, &k) * 2.0;
        e += m == 0.0 ? 0 : k - 1;
    }
    // ln(m × 2^e) with `extra` more powers of two.
    double Log(int64_t extra) const { return ExactLog(m) + static_cast<double>(e + extra) * 0x1.62e42fefa39efp-1; }
};

// The Lyapunov exponent of each sub-sample of rows 0..R-1 (row i's at i × 10 + j) exactly as it
// is written: the product of |a (1 − 2x)| at every iterate before its step, a's power of two
// taken out first (|a| = s × 2^k, s in [1, 2)); ln of it over the iterations made. The first time
// an iterate equals, bit for bit, the one saved at the latest of steps 0, 1, 2, 4, 8, … before
// it, the orbit repeats with period p from there: the rest of its iterations are whole periods
// and a part, and ln of their product is ln of one period's product per whole period plus ln of
// the part's.
inline std::vector<double> StripeLyapunov(int32_t W, int32_t R, double y0, double xr, double yr)
{
    std::vector<double> lyapunov;
    for (int32_t i = 0; i < R; ++i) {
        const double aRow = (static_cast<double>(i) / static_cast<double>(R)) * yr + y0;
        for (int j = 0; j < 10; ++j) {
            const double a = aRow - ((yr / static_cast<double>(R)) * static_cast<double>(j)) * 0.1;
            const int32_t N = Trunc(static_cast<double>(static_cast<int64_t>(W) * 100) / xr);
            int k = 0;
            const double s = a == 0.0 ? 0.0 : std::frexp(std::fabs(a), &k) * 2.0;
            const int64_t aExponent = k - 1;
            const auto derivative = [s](double x) { return std::fabs((1.0 - 2.0 * x) * s); };
            double x = 0.12345;
            double saved = x;
            int64_t savedStep = 0;
            Product product;
            double lambda = std::nan("");  // without iterations
            bool periodic = false;
            int64_t step = 0;
            while (step < N) {
                product.Times(derivative(x));
                x = (x * (1 - x)) * a;
                ++step;
                if (x < -10 || x > 10 || std::isnan(x)) {
                    break;
                }
                if (std::bit_cast<int64_t>(x) == std::bit_cast<int64_t>(saved)) {
                    const int64_t p = step - savedStep;
                    const int64_t rest = N - step;
                    Product period;
                    Product part;
                    double y = x;
                    for (int64_t m = 1; m <= std::min(p, rest); ++m) {
                        period.Times(derivative(y));
                        y = (y * (1 - y)) * a;
                        if (m == rest % p) {
                            part = period;
                        }
                    }
                    double sum = product.Log(aExponent * step);
                    if (rest / p > 0) {
                        sum += static_cast<double>(rest / p) * period.Log(aExponent * p);
                    }
                    sum += part.Log(aExponent * (rest % p));
                    lambda = sum / static_cast<double>(N);
                    periodic = true;
                    break;
                }
                if ((step & (step - 1)) == 0) {  // 1, 2, 4, 8, …
                    saved = x;
                    savedStep = step;
                }
            }
            if (!periodic && step > 0) {
                lambda = product.Log(aExponent * step) / static_cast<double>(step);
            }
            lyapunov.push_back(lambda);
        }
    }
    return lyapunov;
}

}  // namespace literal
