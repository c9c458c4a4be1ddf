// The step of every lane kernel, written once over the vector operations of an instruction set
// (Ops): the plain, AVX2 and AVX-512 kernels are instances of this one template. Every
// floating-point operation is the scalar IEEE double operation of the written algorithm, per lane.
#pragma once

#include "orbit_lanes.h"

#include <cstdint>

// One step of the map on every lane: (x × (1 − x)) × a, rounded in this order.
template <class Ops>
typename Ops::Real MapStep(typename Ops::Real x, typename Ops::Real a)
{
    return Ops::Mul(Ops::Mul(x, Ops::Sub(Ops::Broadcast(1.0), x)), a);
}

// Steps between two renormalisations of the products of the derivatives. While |x| <= kEscapeBound,
// |(1 − 2x) × slopeScale| is 0 or lies from 2^-53 to below 42, so a product in [1, 2) stays a
// normal number for this many steps; scaling it by a power of two is then exact, and the product's
// bits do not depend on when it is renormalised: every kernel and the stripe computation agree.
inline constexpr int kStepsPerRenormalisation = 16;

// |(1 − 2x) × slopeScale|: the derivative of the map at x, |a (1 − 2x)|, with a's power of two
// taken out.
template <class Ops>
typename Ops::Real Slope(typename Ops::Real x, typename Ops::Real slopeScale)
{
    return Ops::Abs(Ops::Mul(Ops::Sub(Ops::Broadcast(1.0), Ops::Add(x, x)), slopeScale));
}

// Brings a product (not negative, normal or 0) into [1, 2) by a power of two, exactly, and adds
// that power to its exponent. A 0 stays 0.
template <class Ops>
void Renormalise(typename Ops::Real& product, typename Ops::Bits& exponent)
{
    constexpr int kMantissaBits = 52;
    constexpr int64_t kBias = 1023;
    const auto biased = Ops::template ShiftRightBits<kMantissaBits>(Ops::AsBits(product));
    exponent = Ops::AddBits(exponent, Ops::SubBits(biased, Ops::BroadcastBits(kBias)));
    const auto scale = Ops::template ShiftLeftBits<kMantissaBits>(Ops::SubBits(Ops::BroadcastBits(2 * kBias), biased));
    product = Ops::Mul(product, Ops::AsReal(scale));
}

// Lanes of `within` whose iterate passes the divergence test: |x| <= kEscapeBound, never a NaN.
template <class Ops>
typename Ops::Mask BoundedWhere(typename Ops::Mask within, typename Ops::Real x)
{
    return Ops::LessEqualWhere(within, Ops::Abs(x), Ops::Broadcast(kEscapeBound));
}

// The counting values every vector shares, broadcast once.
template <class Ops>
struct CountingConstants {
    typename Ops::Real xMin, xRange, width, countedMin, countedMax;
    typename Ops::Bits columnCount;

    explicit CountingConstants(const LaneCounting& counting)
        : xMin(Ops::Broadcast(counting.xMin)),
          xRange(Ops::Broadcast(counting.xRange)),
          width(Ops::Broadcast(counting.width)),
          countedMin(Ops::Broadcast(counting.countedMin)),
          countedMax(Ops::Broadcast(counting.countedMax)),
          columnCount(Ops::BroadcastBits(static_cast<int64_t>(counting.width)))
    {
    }
};

// The lanes of `within` whose iterate may be counted. With finite quotients those whose iterate
// lies from countedMin to countedMax, which are exactly the ones counted; otherwise all of them.
template <class Ops, bool kInfiniteQuotients>
typename Ops::Mask CandidatesWhere(typename Ops::Mask within, typename Ops::Real x,
                                   const CountingConstants<Ops>& constants)
{
    if constexpr (kInfiniteQuotients) {
        return within;
    } else {
        return Ops::LessEqualWhere(Ops::LessEqualWhere(within, constants.countedMin, x), x, constants.countedMax);
    }
}

// Where each candidate lane counts its iterate: its column trunc(((x − xmin) ÷ xr) × W), which
// for finite quotients lies in 0..W − 1; the others count in their spare. Any quotient is tested
// instead: Truncate gives a column that fails the test for quotients beyond the columns and for
// infinite or NaN ones, which truncate to 0 and count in column 0.
template <class Ops, bool kInfiniteQuotients>
typename Ops::Bits CountIndex(typename Ops::Real x, typename Ops::Mask candidates,
                              const CountingConstants<Ops>& constants, typename Ops::Bits laneBase,
                              typename Ops::Bits spare)
{
    const auto quotient = Ops::Mul(Ops::Div(Ops::Sub(x, constants.xMin), constants.xRange), constants.width);
    const auto column = Ops::Truncate(quotient);
    if constexpr (kInfiniteQuotients) {
        const auto inside = Ops::BelowWhere(candidates, column, constants.columnCount);
        const auto infinite = Ops::NotFiniteWhere(candidates, quotient);
        return Ops::Select(Ops::Or(inside, infinite),
                           Ops::AddBits(laneBase, Ops::Select(inside, column, Ops::BroadcastBits(0))), spare);
    } else {
        return Ops::Select(candidates, Ops::AddBits(laneBase, column), spare);
    }
}

// Whether some lane of the vectors may need more than a step of the map: an iterate that may be
// counted (from countedMin to countedMax), may equal its lane's saved one, or may have escaped.
// A cheap superset, worked out in floating point without a lane mask: (x − min) × (max − x) is
// not negative wherever min <= x <= max (the signs of the differences are exact; elsewhere only
// an underflow to −0 passes, which costs a test); −|x − saved| is 0 where the iterate may repeat; a
// largest |x| of kEscapeBound or more may have escaped. A NaN iterate, which only follows an
// escape or a NaN parameter, is passed over: the lane then counts nothing, and the next event
// step finds it. Idle lanes step 0 to 0 and may keep this true; they only cost time.
template <class Ops, int kVectors>
bool MayNeedAttention(const typename Ops::Real (&x)[kVectors], const typename Ops::Bits (&saved)[kVectors],
                      const CountingConstants<Ops>& constants)
{
    auto largest = Ops::Broadcast(0.0);
    for (int k = 0; k < kVectors; ++k) {
        largest = Ops::Max(Ops::Abs(x[k]), largest);  // a NaN lane leaves largest as it was
    }
    auto attention = Ops::Sub(largest, Ops::Broadcast(kEscapeBound));
    for (int k = 0; k < kVectors; ++k) {
        const auto counted = Ops::Mul(Ops::Sub(x[k], constants.countedMin), Ops::Sub(constants.countedMax, x[k]));
        const auto repeated = Ops::NegativeAbs(Ops::Sub(x[k], Ops::AsReal(saved[k])));
        // A NaN saved iterate (a lane that no longer tests for cycles) leaves `counted`; a NaN
        // iterate leaves attention as it was.
        attention = Ops::Max(Ops::Max(repeated, counted), attention);
    }
    return Ops::Any(Ops::LessEqualWhere(Ops::LaneMask(~0u), Ops::Broadcast(0.0), attention));
}

// Advances kVectors vectors of Ops::kWidth lanes each; see LaneKernelFunction. With kDerivatives,
// each lane's product also takes the derivative at every iterate before its step. The vectors'
// orbits are independent, so the steps of one overlap the latency of the others'. Where few
// iterates count, the steps that MayNeedAttention passes are the map alone; in the others, and
// in every step of the other forms, every lane is tested exactly and counts its column, or its
// spare.
template <class Ops, int kVectors, LaneCounts kCounts, bool kDerivatives>
int64_t AdvanceLanes(OrbitLanes& lanes, const LaneCounting& counting, int64_t maxSteps, uint32_t& events)
{
    constexpr bool kInfiniteQuotients = kCounts == LaneCounts::AnyQuotients;
    constexpr int kWidth = Ops::kWidth;
    constexpr int kLanes = kWidth * kVectors;
    static_assert(kLanes <= kMaxLanes);

    // The count indices of two tested steps: those of one are counted while the next is
    // computed, so that reading them back does not wait for the stores that wrote them.
    alignas(64) int64_t indices[2][kLanes];
    for (int l = 0; l < kLanes; ++l) {
        indices[0][l] = l * counting.stride;
    }
    const CountingConstants<Ops> constants(counting);
    typename Ops::Real x[kVectors], a[kVectors];
    typename Ops::Real slopeScale[kVectors], product[kVectors];
    typename Ops::Bits saved[kVectors], laneBase[kVectors], spare[kVectors], productExponent[kVectors];
    typename Ops::Mask active[kVectors], event[kVectors];
    for (int k = 0; k < kVectors; ++k) {
        const int first = k * kWidth;
        x[k] = Ops::Load(lanes.x + first);
        a[k] = Ops::Load(lanes.a + first);
        saved[k] = Ops::LoadBits(lanes.saved + first);
        active[k] = Ops::LaneMask(lanes.active >> first);
        event[k] = Ops::LaneMask(0);
        laneBase[k] = Ops::LoadBits(indices[0] + first);
        spare[k] = Ops::AddBits(laneBase[k], constants.columnCount);
        if constexpr (kDerivatives) {
            slopeScale[k] = Ops::Load(lanes.slopeScale + first);
            product[k] = Ops::Load(lanes.product + first);
            productExponent[k] = Ops::LoadBits(lanes.productExponent + first);
        }
    }
    int tested = 0;  // tested steps; the indices of the last are in indices[(tested - 1) & 1]
    const auto countTestedStep = [&counting, &indices](int step) {
        for (const int64_t index : indices[step & 1]) {
            ++counting.counts[index];
        }
    };

    int64_t steps = 0;
    bool anyEvent = false;
    while (!anyEvent && steps < maxSteps) {
        for (int k = 0; k < kVectors; ++k) {
            if constexpr (kDerivatives) {
                product[k] = Ops::Mul(product[k], Slope<Ops>(x[k], slopeScale[k]));
            }
            x[k] = MapStep<Ops>(x[k], a[k]);
        }
        ++steps;
        if (kDerivatives && steps % kStepsPerRenormalisation == 0) {
            for (int k = 0; k < kVectors; ++k) {
                Renormalise<Ops>(product[k], productExponent[k]);
            }
        }
        if (kCounts == LaneCounts::Few && !MayNeedAttention<Ops, kVectors>(x, saved, constants)) {
            continue;
        }
        auto anyLane = Ops::LaneMask(0);
        for (int k = 0; k < kVectors; ++k) {
            const auto live = BoundedWhere<Ops>(active[k], x[k]);
            event[k] = Ops::Or(Ops::AndNot(live, active[k]), Ops::SameBitsWhere(active[k], x[k], saved[k]));
            anyLane = Ops::Or(anyLane, event[k]);
            const auto candidates = CandidatesWhere<Ops, kInfiniteQuotients>(live, x[k], constants);
            Ops::StoreBits(indices[tested & 1] + k * kWidth,
                           CountIndex<Ops, kInfiniteQuotients>(x[k], candidates, constants, laneBase[k], spare[k]));
        }
        if (tested > 0) {
            countTestedStep(tested - 1);
        }
        ++tested;
        anyEvent = Ops::Any(anyLane);
    }
    if (tested > 0) {
        countTestedStep(tested - 1);
    }

    events = 0;
    for (int k = 0; k < kVectors; ++k) {
        Ops::Store(lanes.x + k * kWidth, x[k]);
        if constexpr (kDerivatives) {
            Renormalise<Ops>(product[k], productExponent[k]);
            Ops::Store(lanes.product + k * kWidth, product[k]);
            Ops::StoreBits(lanes.productExponent + k * kWidth, productExponent[k]);
        }
        if (anyEvent) {
            events |= Ops::LaneBits(event[k]) << (k * kWidth);
        }
    }
    return steps;
}

template <class Ops, int kVectors, int kFewVectors, bool kDerivatives>
constexpr LaneKernelForms MakeLaneKernelForms()
{
    return {{&AdvanceLanes<Ops, kFewVectors, LaneCounts::Few, kDerivatives>, Ops::kWidth * kFewVectors},
            {&AdvanceLanes<Ops, kVectors, LaneCounts::FiniteQuotients, kDerivatives>, Ops::kWidth * kVectors},
            {&AdvanceLanes<Ops, kVectors, LaneCounts::AnyQuotients, kDerivatives>, Ops::kWidth * kVectors}};
}

// The kernel of an instruction set whose operations are Ops: kVectors vectors per step, and
// kFewVectors where few iterates count, which leaves more time to hide the map's latency in.
template <class Ops, int kVectors, int kFewVectors>
constexpr LaneKernel MakeLaneKernel()
{
    return {MakeLaneKernelForms<Ops, kVectors, kFewVectors, false>(),
            MakeLaneKernelForms<Ops, kVectors, kFewVectors, true>()};
}
