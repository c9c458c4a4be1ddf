// The interface between the stripe computation and its lane kernels: the state of the
// sub-sample orbits that a kernel advances side by side, and the kernel of each instruction set.
// Kernel files built with SIMD flags include only this header and orbit_lanes_step.h, so that
// no inline function compiled with those flags can stand in for one used on other processors.
#pragma once

#include <cstdint>

inline constexpr int kMaxLanes = 32;

// An iterate beyond ±kEscapeBound, or one that is not a number, ends its sub-sample.
inline constexpr double kEscapeBound = 10.0;

// One orbit per lane, structure of arrays so that a kernel loads whole vectors.
struct OrbitLanes {
    alignas(64) double x[kMaxLanes] = {};       // the lane's latest iterate
    alignas(64) double a[kMaxLanes] = {};       // the lane's parameter
    alignas(64) int64_t saved[kMaxLanes] = {};  // bits of the iterate the cycle test compares with
    // Where the kernel multiplies the derivatives: the lane's |a| with its power of two taken out
    // (in [1, 2), or 0), and their product so far, product × 2^productExponent, the product in
    // [1, 2) or 0 whenever the kernel returns.
    alignas(64) double slopeScale[kMaxLanes] = {};
    alignas(64) double product[kMaxLanes] = {};
    alignas(64) int64_t productExponent[kMaxLanes] = {};
    uint32_t active = 0;  // bit l set while lane l follows an orbit
};

// A lane's count of one column. Narrow, so that every lane's columns stay in the first-level
// cache; the stripe computation adds them to 64-bit row counts before they can overflow.
using LaneCount = uint16_t;

// Where a kernel counts the iterates: lane l counts column c at counts[l × stride + c]; column
// `width` of each lane is a spare that takes every iterate of a counting step not counted, so
// counting never branches per lane. With finite quotients, exactly the iterates from countedMin
// to countedMax are counted, and a step in which no lane's iterate lies there counts nothing.
struct LaneCounting {
    double xMin = 0.0;
    double xRange = 1.0;
    double width = 0.0;
    double countedMin = 0.0;
    double countedMax = 0.0;
    LaneCount* counts = nullptr;
    int64_t stride = 0;
};

// Advances every lane by at most maxSteps iterations and counts them; a kernel form that takes
// the derivatives also multiplies each lane's product by |(1 − 2x) × slopeScale| at the iterate x
// before each step. Stops after the first
// step in which an active lane's iterate escaped (that iterate is not counted) or equalled the
// lane's saved iterate bit for bit; `events` then holds those lanes. Returns the steps made.
using LaneKernelFunction = int64_t (*)(OrbitLanes& lanes, const LaneCounting& counting, int64_t maxSteps,
                                       uint32_t& events);

// How a kernel counts: for stripes whose column quotients are always finite, where few iterates
// count (steps in which no lane may count are the map alone) or where many do; and for any
// quotients, infinite and NaN ones counted in column 0.
enum class LaneCounts { Few, FiniteQuotients, AnyQuotients };

// One form of a kernel and the lanes it advances.
struct LaneKernelForm {
    LaneKernelFunction advance;
    int lanes;
};

// The kernel forms for the three ways of LaneCounts.
struct LaneKernelForms {
    LaneKernelForm fewCounted;
    LaneKernelForm finiteQuotients;
    LaneKernelForm anyQuotients;
};

// The kernel of an instruction set: forms that only count, and forms that also take the
// derivatives, for the Lyapunov exponent.
struct LaneKernel {
    LaneKernelForms counting;
    LaneKernelForms withDerivatives;
};

// Constant data rather than functions, so that reading them runs no code built with SIMD flags.
extern const LaneKernel kPortableLaneKernel;
#if defined(CORVALIS_X86_KERNELS)
extern const LaneKernel kAvx2LaneKernel;
extern const LaneKernel kAvx512LaneKernel;
#endif
