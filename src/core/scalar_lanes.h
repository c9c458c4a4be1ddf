// Vector operations of one lane in plain C++: the portable kernel runs several of these side by
// side, and the stripe computation uses them to step a single orbit with the kernels' own rules.
#pragma once

#include <bit>
#include <cmath>
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

    static Real Add(Real a, Real b) { return a + b; }
    static Real Sub(Real a, Real b) { return a - b; }
    static Real Mul(Real a, Real b) { return a * b; }
    static Real Div(Real a, Real b) { return a / b; }
    static Bits AddBits(Bits a, Bits b) { return a + b; }
    static Bits SubBits(Bits a, Bits b) { return a - b; }
    template <int kShift>
    static Bits ShiftLeftBits(Bits v)
    {
        return static_cast<Bits>(static_cast<uint64_t>(v) << kShift);
    }
    template <int kShift>
    static Bits ShiftRightBits(Bits v)
    {
        return static_cast<Bits>(static_cast<uint64_t>(v) >> kShift);
    }
    static Real Abs(Real v) { return std::fabs(v); }
    static Real NegativeAbs(Real v) { return -std::fabs(v); }
    // The second operand where either is a NaN, as the vector instructions have it.
    static Real Max(Real a, Real b) { return a > b ? a : b; }
    static Real AsReal(Bits v) { return std::bit_cast<Real>(v); }
    static Bits AsBits(Real v) { return std::bit_cast<Bits>(v); }
    // Exact truncation where the value converts; beyond ±2^62, infinite or NaN gives −1.
    static Bits Truncate(Real v) { return std::fabs(v) < 0x1p62 ? static_cast<Bits>(v) : -1; }

    // Comparisons and tests "Where" hold only for the lanes of their first argument. Bitwise
    // operators keep the lane logic free of branches.
    static Mask LessEqualWhere(Mask m, Real a, Real b) { return m & (a <= b); }
    static Mask BelowWhere(Mask m, Bits v, Bits bound) { return m & (v >= 0) & (v < bound); }
    static Mask NotFiniteWhere(Mask m, Real v) { return m & !(v - v == 0.0); }
    static Mask SameBitsWhere(Mask m, Real v, Bits bits) { return m & (std::bit_cast<Bits>(v) == bits); }

    static Mask Or(Mask a, Mask b) { return a | b; }
    static Mask AndNot(Mask drop, Mask keep) { return keep & !drop; }
    static Mask LaneMask(uint32_t bits) { return (bits & 1u) != 0; }
    static uint32_t LaneBits(Mask m) { return m ? 1u : 0u; }
    static bool Any(Mask m) { return m; }

    static Bits Select(Mask m, Bits yes, Bits no) { return no ^ ((yes ^ no) & -static_cast<Bits>(m)); }
};
