// The orbit-density computation written literally, step by step, as the reference that the
// program's computation must match cell for cell. Deliberately simple and slow.
#pragma once

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

}  // namespace literal
