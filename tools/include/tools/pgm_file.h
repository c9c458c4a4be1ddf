// The density levels as a binary PGM (P5, maxval 255), written a piece at a time.
#pragma once

#include "platform/geometry.h"
#include "platform/result.h"
#include "tools/byte_sink.h"

#include <cstdint>
#include <vector>

// Grid row 0 (the smallest parameter) is the bottom row of the picture. Stops at the sink's
// first failure and gives it back.
Status WritePgm(const std::vector<int32_t>& levels, Size grid, ByteSink& sink);
