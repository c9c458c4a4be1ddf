// The lane kernel for processors with AVX-512 (F and DQ): eight lanes per vector, lane flags in
// mask registers. Built with AVX-512 code generation, so it is called only after the processor
// has been checked.
#include "calc/orbit_lanes_step.h"

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

    static Real Sub(Real a, Real b) { return _mm512_sub_pd(a, b); }
    static Real Mul(Real a, Real b) { return _mm512_mul_pd(a, b); }
    static Real Div(Real a, Real b) { return _mm512_div_pd(a, b); }
    static Bits AddBits(Bits a, Bits b) { return _mm512_add_epi64(a, b); }

    static Mask Less(Real a, Real b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    static Mask LessEqual(Real a, Real b) { return _mm512_cmp_pd_mask(a, b, _CMP_LE_OQ); }
    // Classes quiet NaN (0x01), +infinity (0x08), −infinity (0x10) and signalling NaN (0x80).
    static Mask NotFinite(Real v) { return _mm512_fpclass_pd_mask(v, 0x99); }
    static Mask SameBits(Real v, Bits bits) { return _mm512_cmpeq_epi64_mask(_mm512_castpd_si512(v), bits); }

    static Mask And(Mask a, Mask b) { return static_cast<Mask>(a & b); }
    static Mask Or(Mask a, Mask b) { return static_cast<Mask>(a | b); }
    static Mask AndNot(Mask drop, Mask keep) { return static_cast<Mask>(keep & ~drop); }
    static Mask LaneMask(uint32_t bits) { return static_cast<Mask>(bits & 0xFFu); }
    static uint32_t LaneBits(Mask m) { return m; }
    static bool Any(Mask m) { return m != 0; }

    static Bits TruncateWhere(Mask m, Real v) { return _mm512_maskz_cvttpd_epi64(m, v); }
    static Bits Select(Mask m, Bits yes, Bits no) { return _mm512_mask_blend_epi64(m, no, yes); }
};

constexpr int kVectors = 3;

}  // namespace

constinit const LaneKernel kAvx512LaneKernel{&AdvanceLanes<Avx512Ops, kVectors>, Avx512Ops::kWidth * kVectors};
