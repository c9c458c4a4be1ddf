// The map alone in the lanes of the widest vectors this processor has, nothing tested and
// nothing counted: the floor that a kernel's time per iterate is measured against.
#pragma once

#include <cstdint>

// Steps `vectors` × 8 lanes `steps` times (vectors is 2 or 4) and returns a sum of the lanes,
// so that no step can be left out. Runs only where the processor has AVX-512.
double BareMapAvx512(int vectors, int64_t steps);
