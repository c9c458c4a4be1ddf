#include "job/computation.h"

#include <charconv>
#include <cmath>
#include <vector>

int32_t ShardOfRow(int32_t row, int32_t gridHeight, int32_t shards)
{
    return (gridHeight - 1 - row) / kShardBatchRows % shards;
}

bool InShard(const Computation& computation, int32_t row)
{
    return ShardOfRow(row, computation.grid.height, computation.shard.count) == computation.shard.index;
}

double RowParameter(const Computation& computation, int32_t row)
{
    const int32_t height = computation.grid.height;
    // Stripe i begins at (i × H) ÷ S, so stripe (row × S) ÷ H begins at or before the row: the row
    // is in it or in one after it (stripes of no rows between).
    auto stripe = static_cast<int32_t>(int64_t{row} * computation.stripes / height);
    while (StripeBounds(stripe, computation.stripes, height).last <= row) {
        ++stripe;
    }
    const RowRange bounds = StripeBounds(stripe, computation.stripes, height);
    return SubSampleParameter(StripeFor(nullptr, computation.grid, computation.region, bounds), row - bounds.first, 0);
}

bool SameRows(const Computation& a, const Computation& b)
{
    return a.region == b.region && a.grid == b.grid && a.client == b.client && a.stripes == b.stripes &&
           a.shard.count == b.shard.count;
}

Status FitGrid(Computation& computation)
{
    if (computation.client.width == 0) {
        return {};
    }
    const Size grid = *FitGridToClient(computation.client.width, computation.client.height, computation.region);
    computation.grid = grid;
    if (grid.width < 1 || grid.height < 1 || grid.width > kMaxGridSide || grid.height > kMaxGridSide) {
        return Failure::Because("the region gives a " + SizeText(grid) +
                                " grid there, which has no cells or is too large");
    }
    return {};
}

Status CheckComputable(const CalcRegion& region, const std::string& names)
{
    std::vector<std::string> words;
    for (size_t start = 0; start <= names.size();) {
        const size_t end = std::min(names.find(' ', start), names.size());
        words.emplace_back(names.substr(start, end - start));
        start = end + 1;
    }
    const auto checkAxis = [&](double min, double max, size_t first, const char* extent) -> Status {
        const std::string pair = words[first] + " and " + words[first + 2];
        // A region without extent on an axis has no picture, whatever sizes the grid.
        if (!(max > min)) {
            return Failure::Because(pair + " are equal, so the region has no " + extent);
        }
        // The rows' and columns' arithmetic divides by the extent and by its share of a cell.
        if (!std::isfinite(max - min)) {
            return Failure::Because(pair + " are too far apart: the region's " + extent + " is beyond a double");
        }
        if (!std::isnormal(max - min)) {
            return Failure::Because(pair + " are too close: the region's " + extent +
                                    " is below what a double holds exactly");
        }
        return {};
    };
    if (Status x = checkAxis(region.xmin, region.xmax, 0, "width"); !x) {
        return x;
    }
    return checkAxis(region.ymin, region.ymax, 1, "height");
}

std::string RegionText(const CalcRegion& region)
{
    std::string text;
    for (double value : {region.xmin, region.ymin, region.xmax, region.ymax}) {
        char digits[32];
        const auto written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 17);
        text += (text.empty() ? "" : " ");
        text.append(digits, written.ptr);
    }
    return text;
}

std::string SizeText(Size size)
{
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

Failure OutOfMemory(Size grid)
{
    return Failure::Because("not enough memory for a " + SizeText(grid) + " grid and its outputs");
}
