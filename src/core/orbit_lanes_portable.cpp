// The lane kernel for every processor: plain C++, several independent orbits interleaved so
// that their steps overlap in the processor's pipelines.
#include "orbit_lanes_step.h"
#include "scalar_lanes.h"

constinit const LaneKernel kPortableLaneKernel = MakeLaneKernel<ScalarOps, 4, 4>();
