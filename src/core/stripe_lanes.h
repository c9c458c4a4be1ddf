// A stripe computed by following the sub-sample orbits of its rows side by side in the lanes of
// a kernel, with exact cycle detection. Its levels are those of the written algorithm, cell for cell.
#pragma once

#include "core/orbit_density.h"
#include "orbit_lanes.h"

#include <atomic>

// Computes the given rows of the stripe; rowsDone, when given, counts the stored rows.
StripeResult ComputeStripeOnLanes(const StripeSpec& stripe, RowRange rows, const std::atomic<int32_t>& cancel,
                                  const LaneKernel& kernel, std::atomic<int32_t>* rowsDone);
