// The lane kernel for every processor: plain C++, several independent orbits interleaved so
// that their steps overlap in the processor's pipelines.
#include "calc/orbit_lanes_step.h"
#include "calc/scalar_lanes.h"

namespace {

constexpr int kInterleaved = 4;

}  // namespace

constinit const LaneKernel kPortableLaneKernel{&AdvanceLanes<ScalarOps, kInterleaved>, kInterleaved};
