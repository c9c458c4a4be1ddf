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

// Lanes of `within` whose iterate passes the divergence test: |x| <= kEscapeBound, never a NaN.
template <class Ops>
typename Ops::Mask BoundedWhere(typename Ops::Mask within, typename Ops::Real x)
{
    return Ops::LessEqualWhere(within, Ops::Abs(x), Ops::Broadcast(kEscapeBound));
}

template <class Ops>
struct LaneColumns {
    typename Ops::Real xMin, xRange, width;
    typename Ops::Bits columnCount;
    typename Ops::Bits laneBase;  // index of column 0 of each lane's counts
    typename Ops::Bits spare;     // index of each lane's spare column
};

// Where each live lane counts its iterate: its column trunc(((x − xmin) ÷ xr) × W) when that
// lies in 0..W − 1, else the spare, as for lanes not live. Truncate gives a column that fails the
// test for quotients beyond the columns and for infinite or NaN ones, which truncate to 0 and
// count in column 0: with kInfiniteQuotients they are counted there.
template <class Ops, bool kInfiniteQuotients>
typename Ops::Bits CountIndex(typename Ops::Real x, typename Ops::Mask live,
                              const LaneColumns<Ops>& columns)
{
    const auto quotient = Ops::Mul(Ops::Div(Ops::Sub(x, columns.xMin), columns.xRange), columns.width);
    const auto column = Ops::Truncate(quotient);
    const auto inside = Ops::BelowWhere(live, column, columns.columnCount);
    if constexpr (kInfiniteQuotients) {
        const auto infinite = Ops::NotFiniteWhere(live, quotient);
        return Ops::Select(Ops::Or(inside, infinite),
                           Ops::AddBits(columns.laneBase, Ops::Select(inside, column, Ops::BroadcastBits(0))),
                           columns.spare);
    } else {
        return Ops::Select(inside, Ops::AddBits(columns.laneBase, column), columns.spare);
    }
}

// Advances kVectors vectors of Ops::kWidth lanes each; see LaneKernelFunction.
template <class Ops, int kVectors, bool kInfiniteQuotients>
int64_t AdvanceLanes(OrbitLanes& lanes, const LaneCounting& counting, int64_t maxSteps,
                     uint32_t& events)
{
    constexpr int kWidth = Ops::kWidth;
    constexpr int kLanes = kWidth * kVectors;
    static_assert(kLanes <= kMaxLanes);

    // Each step's count indices; a step's counts are added while the next step is computed,
    // so that reading the indices back does not wait for the stores that wrote them.
    alignas(64) int64_t indices[2][kLanes];
    for (int l = 0; l < kLanes; ++l) {
        indices[0][l] = l * counting.stride;
    }
    typename Ops::Real x[kVectors], a[kVectors];
    typename Ops::Bits saved[kVectors];
    typename Ops::Mask active[kVectors], event[kVectors];
    LaneColumns<Ops> columns[kVectors];
    for (int k = 0; k < kVectors; ++k) {
        const int first = k * kWidth;
        x[k] = Ops::Load(lanes.x + first);
        a[k] = Ops::Load(lanes.a + first);
        saved[k] = Ops::LoadBits(lanes.saved + first);
        active[k] = Ops::LaneMask(lanes.active >> first);
        const auto laneBase = Ops::LoadBits(indices[0] + first);
        columns[k] = {Ops::Broadcast(counting.xMin), Ops::Broadcast(counting.xRange),
                      Ops::Broadcast(counting.width),
                      Ops::BroadcastBits(static_cast<int64_t>(counting.width)), laneBase,
                      Ops::AddBits(laneBase, Ops::BroadcastBits(static_cast<int64_t>(counting.width)))};
    }
    const auto countStep = [&counting](const int64_t* stepIndices) {
        for (int l = 0; l < kLanes; ++l) {
            ++counting.counts[stepIndices[l]];
        }
    };

    int64_t steps = 0;
    bool anyEvent = false;
    while (!anyEvent && steps < maxSteps) {
        int64_t* stepIndices = indices[steps & 1];
        for (int k = 0; k < kVectors; ++k) {
            x[k] = MapStep<Ops>(x[k], a[k]);
            const auto live = BoundedWhere<Ops>(active[k], x[k]);
            Ops::StoreBits(stepIndices + k * kWidth, CountIndex<Ops, kInfiniteQuotients>(x[k], live, columns[k]));
            event[k] = Ops::Or(Ops::AndNot(live, active[k]), Ops::SameBitsWhere(active[k], x[k], saved[k]));
        }
        if (steps > 0) {
            countStep(indices[(steps - 1) & 1]);
        }
        ++steps;
        auto anyLane = event[0];
        for (int k = 1; k < kVectors; ++k) {
            anyLane = Ops::Or(anyLane, event[k]);
        }
        anyEvent = Ops::Any(anyLane);
    }
    if (steps > 0) {
        countStep(indices[(steps - 1) & 1]);
    }

    events = 0;
    for (int k = 0; k < kVectors; ++k) {
        Ops::Store(lanes.x + k * kWidth, x[k]);
        if (anyEvent) {
            events |= Ops::LaneBits(event[k]) << (k * kWidth);
        }
    }
    return steps;
}

// The kernel of an instruction set whose operations are Ops, kVectors vectors per step.
template <class Ops, int kVectors>
constexpr LaneKernel MakeLaneKernel()
{
    return {&AdvanceLanes<Ops, kVectors, false>, &AdvanceLanes<Ops, kVectors, true>, Ops::kWidth * kVectors};
}
