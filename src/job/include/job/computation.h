// What decides a render's levels: the region, the grid (given, or fitted to a client area as the
// window fits it), the stripes whose values the rows have, and the shard of the rows computed.
// The limits of each are stated here once, for every front end.
#pragma once

#include "core/calc_layout.h"
#include "core/calc_region.h"
#include "platform/geometry.h"
#include "platform/result.h"

#include <cstdint>
#include <string>

// The largest side of a grid: what PNG, PGM and the 32-bit arithmetic of the rows allow. The
// rows are computed and written a few at a time, so the number of cells is not limited.
inline constexpr int32_t kMaxGridSide = 65536;
inline constexpr int32_t kMaxThreads = 1024;
inline constexpr int32_t kMaxStripes = 1024;
inline constexpr int32_t kMaxShards = kMaxGridSide;
// The least side of a client area to fit a grid to: one pixel inside the margins.
inline constexpr int32_t kMinClientSide = 2 * kViewMargin + 1;

// Rows go to the shards in batches of this many from the top down, to each shard in turn: a
// chaotic row can cost a thousand times a periodic one, and this way every shard gets about
// the same mix.
inline constexpr int32_t kShardBatchRows = 4;

// Shard `index` of `count` (0 <= index < count): the whole computation is shard 0 of 1.
struct Shard {
    int32_t index = 0;
    int32_t count = 1;

    bool operator==(const Shard&) const = default;
};

struct Computation {
    CalcRegion region = kDefaultRegion;
    Size grid;    // columns and rows
    Size client;  // the client area the grid is fitted to; 0x0 when the grid is given directly
    int32_t stripes = 1;
    Shard shard;

    bool operator==(const Computation&) const = default;
};

// The shard that computes a row of a grid `gridHeight` rows high.
int32_t ShardOfRow(int32_t row, int32_t gridHeight, int32_t shards);

// Whether the row is one that the computation's shard computes.
bool InShard(const Computation& computation, int32_t row);

// The parameter of a grid row (0 the bottom row) as its computation uses it: its sub-sample 0's,
// from the stripe the row is in.
double RowParameter(const Computation& computation, int32_t row);

// Whether the two are the same computation, whatever shard of it each is.
bool SameRows(const Computation& a, const Computation& b);

// Sizes the grid of a computation that has a client area, as the window fits it; a failure when
// the region gives no grid there, or one larger than kMaxGridSide.
Status FitGrid(Computation& computation);

// Why the region cannot be computed, with its corners named as `names` names them
// ("XMIN YMIN XMAX YMAX"): an axis without extent, or one whose extent a double cannot hold as
// a normal number. Success for a region that can be computed.
Status CheckComputable(const CalcRegion& region, const std::string& names);

// The region's four numbers, XMIN YMIN XMAX YMAX, with every digit a double holds.
std::string RegionText(const CalcRegion& region);

// The failure of a computation that found no memory for its grid and outputs.
Failure OutOfMemory(Size grid);

// "40x30".
std::string SizeText(Size size);
