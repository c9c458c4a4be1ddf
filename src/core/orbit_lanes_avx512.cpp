// The lane kernel for processors with AVX-512 (F and DQ): eight lanes per vector, lane flags in
// mask registers. Built with AVX-512 code generation, so it is called only after the processor
// has been checked.
#include "orbit_lanes_step.h"

#include <immintrin.h>

namespace {

struct Avx512Ops {
    static constexpr int kWidth = 8;
    using Real = __m512d;
    using Bits = __m512i;
    using Mask = __mmask8;

    static Real Load(const double* p) { return _mm512_load_pd(p); }
    static void Store(double* p, Real v) { _mm512_store_pd(p, v); }
    static Bits LoadBits(const int64_t* p) { return _mm512_load_si512(p); }
    static void StoreBits(int64_t* p, Bits v) { _mm512_store_si512(p, v); }
    static Real Broadcast(double v) { return _mm512_set1_pd(v); }
    static Bits BroadcastBits(int64_t v) { return _mm512_set1_epi64(v); }

    static Real Add(Real a, Real b) { return _mm512_add_pd(a, b); }
    static Real Sub(Real a, Real b) { return _mm512_sub_pd(a, b); }
    static Real Mul(Real a, Real b) { return _mm512_mul_pd(a, b); }
    static Real Div(Real a, Real b) { return _mm512_div_pd(a, b); }
    static Bits AddBits(Bits a, Bits b) { return _mm512_add_epi64(a, b); }
    static Bits SubBits(Bits a, Bits b) { return _mm512_sub_epi64(a, b); }
    template <int kShift>
    static Bits ShiftLeftBits(Bits v)
    {
        return _mm512_mask_slli_epi64(v, 0xFF, v,
                                      kShift);  // all lanes; names its source, which GCC 12 warns of otherwise
    }
    template <int kShift>
    static Bits ShiftRightBits(Bits v)
    {
        return _mm512_mask_srli_epi64(v, 0xFF, v, kShift);  // likewise
    }
    static Real Abs(Real v) { return _mm512_abs_pd(v); }
    static Real NegativeAbs(Real v) { return _mm512_or_pd(v, _mm512_set1_pd(-0.0)); }
    // The second operand where either is a NaN.
    static Real Max(Real a, Real b) { return _mm512_max_pd(a, b); }
    static Real AsReal(Bits v) { return _mm512_castsi512_pd(v); }
    static Bits AsBits(Real v) { return _mm512_castpd_si512(v); }
    // Quotients beyond the 64-bit range, infinite or NaN give the most negative value.
    static Bits Truncate(Real v) { return _mm512_cvttpd_epi64(v); }

    static Mask LessEqualWhere(Mask m, Real a, Real b) { return _mm512_mask_cmp_pd_mask(m, a, b, _CMP_LE_OQ); }
    // Negative values compare as unsigned ones beyond any bound.
    static Mask BelowWhere(Mask m, Bits v, Bits bound) { return _mm512_mask_cmplt_epu64_mask(m, v, bound); }
    // Classes quiet NaN (0x01), +infinity (0x08), −infinity (0x10) and signalling NaN (0x80).
    static Mask NotFiniteWhere(Mask m, Real v) { return _mm512_mask_fpclass_pd_mask(m, v, 0x99); }
    static Mask SameBitsWhere(Mask m, Real v, Bits bits)
    {
        return _mm512_mask_cmpeq_epi64_mask(m, _mm512_castpd_si512(v), bits);
    }

    static Mask Or(Mask a, Mask b) { return _kor_mask8(a, b); }
    static Mask AndNot(Mask drop, Mask keep) { return _kandn_mask8(drop, keep); }
    static Mask LaneMask(uint32_t bits) { return _cvtu32_mask8(bits & 0xFFu); }
    static uint32_t LaneBits(Mask m) { return _cvtmask8_u32(m); }
    static bool Any(Mask m) { return !_ktestz_mask8_u8(m, m); }

    static Bits Select(Mask m, Bits yes, Bits no) { return _mm512_mask_blend_epi64(m, no, yes); }
};

}  // namespace

constinit const LaneKernel kAvx512LaneKernel = MakeLaneKernel<Avx512Ops, 2, 4>();
