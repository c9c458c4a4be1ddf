#include "core/lyapunov.h"

#include <cmath>

RowLyapunov SummarizeRowLyapunov(const double* subSamples)
{
    RowLyapunov row{0.0, subSamples[0], subSamples[0]};
    for (int j = 0; j < kSubSamples; ++j) {
        const double lambda = subSamples[j];
        row.lambda += lambda;
        // NaN, which only comes with no iterations at all, wins both.
        row.least = std::isnan(lambda) || lambda < row.least ? lambda : row.least;
        row.most = std::isnan(lambda) || lambda > row.most ? lambda : row.most;
    }
    row.lambda /= kSubSamples;
    return row;
}
