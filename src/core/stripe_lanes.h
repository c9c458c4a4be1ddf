// A stripe computed by following the sub-sample orbits of its rows side by side in the lanes of
// a kernel, with exact cycle detection. Its levels are those of the written algorithm, cell for cell.
#pragma once

#include "core/orbit_density.h"
#include "orbit_lanes.h"

#include <atomic>

// Where a stripe's rows are stored, one after another, the first of them at index 0: as levels in
// the level grid's cells, which other threads read, or, where there are no level cells, as the
// hits of each cell; and, where asked for, the Lyapunov exponent of each of a row's sub-samples
// (kSubSamples a row).
struct RowStore {
    int32_t* levels = nullptr;
    uint64_t* hits = nullptr;
    double* lyapunov = nullptr;
};

// Computes the given rows of the stripe and stores them; rowsDone, when given, counts the stored
// rows.
StripeResult ComputeStripeOnLanes(const StripeSpec& stripe, RowRange rows, RowStore store,
                                  const std::atomic<int32_t>& cancel, const LaneKernel& kernel,
                                  std::atomic<int32_t>* rowsDone);
