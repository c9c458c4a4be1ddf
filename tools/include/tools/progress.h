// The progress line of corvalis-render.
#pragma once

#include <cstdint>
#include <string>

// "rows 120/660  18%  elapsed 0:04  left 0:18"; the time left is estimated from the rate so
// far and shown as "?" before the first row is done.
std::string FormatProgress(int64_t rowsDone, int64_t totalRows, double elapsedSeconds);
