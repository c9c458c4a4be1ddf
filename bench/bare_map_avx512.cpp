// Built with AVX-512 code generation: called only after the processor has been checked.
#include "bare_map.h"

#include <immintrin.h>

namespace {

template <int kVectors>
double StepLanes(int64_t steps)
{
    __m512d x[kVectors], a[kVectors];
    for (int k = 0; k < kVectors; ++k) {
        x[k] = _mm512_set1_pd(0.12345);
        a[k] = _mm512_set1_pd(3.9 + 0.001 * k);
    }
    const __m512d one = _mm512_set1_pd(1.0);
    for (int64_t step = 0; step < steps; ++step) {
        for (int k = 0; k < kVectors; ++k) {
            x[k] = _mm512_mul_pd(_mm512_mul_pd(x[k], _mm512_sub_pd(one, x[k])), a[k]);
        }
    }
    __m512d sum = x[0];
    for (int k = 1; k < kVectors; ++k) {
        sum = _mm512_add_pd(sum, x[k]);
    }
    alignas(64) double lanes[8];
    _mm512_store_pd(lanes, sum);
    double total = 0.0;
    for (double lane : lanes) {
        total += lane;
    }
    return total;
}

}  // namespace

double BareMapAvx512(int vectors, int64_t steps)
{
    return vectors == 4 ? StepLanes<4>(steps) : StepLanes<2>(steps);
}
