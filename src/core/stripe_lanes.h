// A stripe computed by following the sub-sample orbits of its rows side by side in the lanes of
// a kernel, with exact cycle detection. Its levels are those of the written algorithm, cell for cell.
#pragma once

#include "core/orbit_density.h"
#include "orbit_lanes.h"

#include <atomic>

// Computes the given rows of the stripe and stores them one after another from `cells` on, the
// first of them at cells[0]; rowsDone, when given, counts the stored rows.
StripeResult ComputeStripeOnLanes(const StripeSpec& stripe, RowRange rows, int32_t* cells,
                                  const std::atomic<int32_t>& cancel, const LaneKernel& kernel,
                                  std::atomic<int32_t>* rowsDone);
