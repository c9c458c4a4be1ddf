// Vector operations of one lane in plain C++: the portable kernel runs several of these side by
// side, and the stripe computation uses them to step a single orbit with the kernels' own rules.
#pragma once

#include <bit>
#include <cstdint>

struct ScalarOps {
    static constexpr int kWidth = 1;
    using Real = double;
    using Bits = int64_t;
    using Mask = bool;

    static Real Load(const double* p) { return *p; }
    static void Store(double* p, Real v) { *p = v; }
    static Bits LoadBits(const int64_t* p) { return *p; }
    static void StoreBits(int64_t* p, Bits v) { *p = v; }
    static Real Broadcast(double v) { return v; }
    static Bits BroadcastBits(int64_t v) { return v; }

    static Real Sub(Real a, Real b) { return a - b; }
    static Real Mul(Real a, Real b) { return a * b; }
    static Real Div(Real a, Real b) { return a / b; }
    static Bits AddBits(Bits a, Bits b) { return a + b; }

    static Mask Less(Real a, Real b) { return a < b; }
    static Mask LessEqual(Real a, Real b) { return a <= b; }
    static Mask NotFinite(Real v) { return !(v - v == 0.0); }
    static Mask SameBits(Real v, Bits bits) { return std::bit_cast<Bits>(v) == bits; }

    // Bitwise operators keep the lane logic free of branches.
    static Mask And(Mask a, Mask b) { return a & b; }
    static Mask Or(Mask a, Mask b) { return a | b; }
    static Mask AndNot(Mask drop, Mask keep) { return keep & !drop; }
    static Mask LaneMask(uint32_t bits) { return (bits & 1u) != 0; }
    static uint32_t LaneBits(Mask m) { return m ? 1u : 0u; }
    static bool Any(Mask m) { return m; }

    static Bits TruncateWhere(Mask m, Real v) { return m ? static_cast<Bits>(v) : 0; }
    static Bits Select(Mask m, Bits yes, Bits no) { return m ? yes : no; }
};
