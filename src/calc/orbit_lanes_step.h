// The step of every lane kernel, written once over the vector operations of an instruction set
// (Ops): the plain, AVX2 and AVX-512 kernels are instances of this one template. Every
// floating-point operation is the scalar IEEE double operation of the written algorithm, per lane.
#pragma once

#include "calc/orbit_lanes.h"

#include <cstdint>

// One step of the map on every lane: (x × (1 − x)) × a, rounded in this order.
template <class Ops>
typename Ops::Real MapStep(typename Ops::Real x, typename Ops::Real a)
{
    return Ops::Mul(Ops::Mul(x, Ops::Sub(Ops::Broadcast(1.0), x)), a);
}

// Lanes whose iterate passes the divergence test: within ±kEscapeBound and a number.
template <class Ops>
typename Ops::Mask Bounded(typename Ops::Real x)
{
    return Ops::And(Ops::LessEqual(Ops::Broadcast(-kEscapeBound), x),
                    Ops::LessEqual(x, Ops::Broadcast(kEscapeBound)));
}

template <class Ops>
struct LaneColumns {
    typename Ops::Real xMin, xRange, width;
    typename Ops::Bits laneBase;  // index of column 0 of each lane's counts
    typename Ops::Bits spare;     // index of each lane's spare column
};

// Where each lane counts its iterate. The column is trunc(((x − xmin) ÷ xr) × W): it lies in
// 0..W − 1 exactly when −1 < quotient < W, and an infinite or NaN quotient truncates to 0, which
// counts in column 0. Lanes not live, and iterates outside the columns, go to the spare column.
template <class Ops>
typename Ops::Bits CountIndex(typename Ops::Real x, typename Ops::Mask live,
                              const LaneColumns<Ops>& columns)
{
    const auto quotient = Ops::Mul(Ops::Div(Ops::Sub(x, columns.xMin), columns.xRange), columns.width);
    const auto inside = Ops::And(Ops::Less(Ops::Broadcast(-1.0), quotient),
                                 Ops::Less(quotient, columns.width));
    const auto counted = Ops::And(live, Ops::Or(inside, Ops::NotFinite(quotient)));
    return Ops::Select(counted, Ops::AddBits(columns.laneBase, Ops::TruncateWhere(inside, quotient)),
                       columns.spare);
}

// Advances kVectors vectors of Ops::kWidth lanes each; see LaneKernelFunction.
template <class Ops, int kVectors>
int64_t AdvanceLanes(OrbitLanes& lanes, const LaneCounting& counting, int64_t maxSteps,
                     uint32_t& events)
{
    constexpr int kWidth = Ops::kWidth;
    constexpr int kLanes = kWidth * kVectors;
    static_assert(kLanes <= kMaxLanes);

    alignas(64) int64_t index[kLanes];
    for (int l = 0; l < kLanes; ++l) {
        index[l] = l * counting.stride;
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
        const auto laneBase = Ops::LoadBits(index + first);
        columns[k] = {Ops::Broadcast(counting.xMin), Ops::Broadcast(counting.xRange),
                      Ops::Broadcast(counting.width), laneBase,
                      Ops::AddBits(laneBase, Ops::BroadcastBits(static_cast<int64_t>(counting.width)))};
    }

    int64_t steps = 0;
    bool anyEvent = false;
    while (!anyEvent && steps < maxSteps) {
        for (int k = 0; k < kVectors; ++k) {
            x[k] = MapStep<Ops>(x[k], a[k]);
            const auto bounded = Bounded<Ops>(x[k]);
            Ops::StoreBits(index + k * kWidth, CountIndex<Ops>(x[k], Ops::And(active[k], bounded), columns[k]));
            event[k] = Ops::Or(Ops::AndNot(bounded, active[k]),
                               Ops::And(active[k], Ops::SameBits(x[k], saved[k])));
        }
        for (int l = 0; l < kLanes; ++l) {
            ++counting.counts[index[l]];
        }
        ++steps;
        auto anyLane = event[0];
        for (int k = 1; k < kVectors; ++k) {
            anyLane = Ops::Or(anyLane, event[k]);
        }
        anyEvent = Ops::Any(anyLane);
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
