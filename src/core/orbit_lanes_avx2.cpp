// The lane kernel for processors with AVX2: four lanes per vector. Built with AVX2 code
// generation (no FMA), so it is called only after the processor has been checked.
#include "orbit_lanes_step.h"

#include <immintrin.h>

#include <limits>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A mask holds all ones in the 64 bits of each selected lane.
struct Avx2Ops {
    static constexpr int kWidth = 4;
    using Real = __m256d;
    using Bits = __m256i;
    using Mask = __m256i;

    static Real Load(const double* p) { return _mm256_load_pd(p); }
    static void Store(double* p, Real v) { _mm256_store_pd(p, v); }
    static Bits LoadBits(const int64_t* p) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(p)); }
    static void StoreBits(int64_t* p, Bits v) { _mm256_store_si256(reinterpret_cast<__m256i*>(p), v); }
    static Real Broadcast(double v) { return _mm256_set1_pd(v); }
    static Bits BroadcastBits(int64_t v) { return _mm256_set1_epi64x(v); }

    static Real Add(Real a, Real b) { return _mm256_add_pd(a, b); }
    static Real Sub(Real a, Real b) { return _mm256_sub_pd(a, b); }
    static Real Mul(Real a, Real b) { return _mm256_mul_pd(a, b); }
    static Real Div(Real a, Real b) { return _mm256_div_pd(a, b); }
    static Bits AddBits(Bits a, Bits b) { return _mm256_add_epi64(a, b); }
    static Bits SubBits(Bits a, Bits b) { return _mm256_sub_epi64(a, b); }
    template <int kShift>
    static Bits ShiftLeftBits(Bits v)
    {
        return _mm256_slli_epi64(v, kShift);
    }
    template <int kShift>
    static Bits ShiftRightBits(Bits v)
    {
        return _mm256_srli_epi64(v, kShift);
    }
    static Real Abs(Real v) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v); }
    static Real NegativeAbs(Real v) { return _mm256_or_pd(v, _mm256_set1_pd(-0.0)); }
    // The second operand where either is a NaN.
    static Real Max(Real a, Real b) { return _mm256_max_pd(a, b); }
    static Real AsReal(Bits v) { return _mm256_castsi256_pd(v); }
    static Bits AsBits(Real v) { return _mm256_castpd_si256(v); }
    // Quotients beyond the 32-bit range, infinite or NaN give the most negative 32-bit value.
    static Bits Truncate(Real v) { return _mm256_cvtepi32_epi64(_mm256_cvttpd_epi32(v)); }

    static Mask LessEqualWhere(Mask m, Real a, Real b)
    {
        return _mm256_and_si256(m, _mm256_castpd_si256(_mm256_cmp_pd(a, b, _CMP_LE_OQ)));
    }
    static Mask BelowWhere(Mask m, Bits v, Bits bound)
    {
        const __m256i notNegative = _mm256_cmpgt_epi64(v, _mm256_set1_epi64x(-1));
        return _mm256_and_si256(_mm256_and_si256(m, notNegative), _mm256_cmpgt_epi64(bound, v));
    }
    static Mask NotFiniteWhere(Mask m, Real v)
    {
        return _mm256_and_si256(m, _mm256_castpd_si256(_mm256_cmp_pd(Abs(v), _mm256_set1_pd(kInfinity), _CMP_NLT_UQ)));
    }
    static Mask SameBitsWhere(Mask m, Real v, Bits bits)
    {
        return _mm256_and_si256(m, _mm256_cmpeq_epi64(_mm256_castpd_si256(v), bits));
    }

    static Mask Or(Mask a, Mask b) { return _mm256_or_si256(a, b); }
    static Mask AndNot(Mask drop, Mask keep) { return _mm256_andnot_si256(drop, keep); }
    static Mask LaneMask(uint32_t bits)
    {
        const __m256i lane = _mm256_set_epi64x(8, 4, 2, 1);
        return _mm256_cmpeq_epi64(_mm256_and_si256(_mm256_set1_epi64x(bits), lane), lane);
    }
    static uint32_t LaneBits(Mask m) { return static_cast<uint32_t>(_mm256_movemask_pd(_mm256_castsi256_pd(m))); }
    static bool Any(Mask m) { return !_mm256_testz_si256(m, m); }

    static Bits Select(Mask m, Bits yes, Bits no) { return _mm256_blendv_epi8(no, yes, m); }
};

}  // namespace

constinit const LaneKernel kAvx2LaneKernel = MakeLaneKernel<Avx2Ops, 2, 4>();
