// The levels and hits of a whole computation as the literal reference computes them, stripe by
// stripe: row r of the grid (row 0 the least parameter) at r × width.
#pragma once

#include "core/calc_layout.h"
#include "job/computation.h"
#include "literal_orbit_density.h"

#include <vector>

inline std::vector<int32_t> ReferenceLevels(const Computation& computation)
{
    const Size grid = computation.grid;
    std::vector<int32_t> levels(static_cast<size_t>(grid.width) * grid.height, -1);
    for (int32_t i = 0; i < computation.stripes; ++i) {
        const StripeSpec s = StripeFor(levels.data(), grid, computation.region,
                                       StripeBounds(i, computation.stripes, grid.height));
        literal::ComputeStripe(s.cells, s.width, s.rows, s.xMin, s.yStart, s.xRange, s.yRange);
    }
    return levels;
}

inline std::vector<uint64_t> ReferenceHits(const Computation& computation)
{
    const Size grid = computation.grid;
    std::vector<uint64_t> hits;
    for (int32_t i = 0; i < computation.stripes; ++i) {
        const StripeSpec s = StripeFor(nullptr, grid, computation.region,
                                       StripeBounds(i, computation.stripes, grid.height));
        const std::vector<uint64_t> stripe = literal::StripeHits(s.width, s.rows, s.xMin, s.yStart, s.xRange, s.yRange);
        hits.insert(hits.end(), stripe.begin(), stripe.end());
    }
    return hits;
}
