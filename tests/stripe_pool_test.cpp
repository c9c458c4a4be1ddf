#include "core/stripe_pool.h"
#include "core/calc_layout.h"
#include "literal_orbit_density.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

std::vector<StripeSpec> Stripes(Size grid, const CalcRegion& region, int32_t count)
{
    std::vector<StripeSpec> stripes;
    for (int32_t i = 0; i < count; ++i) {
        stripes.push_back(StripeFor(nullptr, grid, region, StripeBounds(i, count, grid.height)));
    }
    return stripes;
}

// The hits of the stripes as the literal reference counts them, the stripes laid one above the other.
std::vector<uint64_t> ExpectedHits(Size grid, const CalcRegion& region, int32_t stripeCount)
{
    std::vector<uint64_t> hits;
    for (const StripeSpec& s : Stripes(grid, region, stripeCount)) {
        const std::vector<uint64_t> stripe = literal::StripeHits(s.width, s.rows, s.xMin, s.yStart, s.xRange, s.yRange);
        hits.insert(hits.end(), stripe.begin(), stripe.end());
    }
    return hits;
}

// Takes the next row from the pool and checks it is `row` of the expected hits.
void ExpectNextRow(StripePool& pool, const std::vector<uint64_t>& expected, Size grid, int32_t row)
{
    const uint64_t* hits = nullptr;
    while (hits == nullptr) {
        const Result<const uint64_t*> next = pool.NextRow(std::chrono::milliseconds(100));
        ASSERT_TRUE(next) << next.Error().Message();
        hits = *next;
    }
    const auto first = expected.begin() + int64_t{row} * grid.width;
    ASSERT_EQ(std::vector<uint64_t>(hits, hits + grid.width), std::vector<uint64_t>(first, first + grid.width))
        << "row " << row;
}

// The rows come from the top down, each with the hits of its stripe, through a window far
// smaller than the grid.
TEST(StripePool, HandsOutTheStripesRowsFromTheTopDownWhicheverThreadsComputeThem)
{
    const Size grid{53, 141};
    const CalcRegion regions[] = {{0.0, 3.0, 1.0, 4.0}, {0.4, 3.8, 0.6, 3.9}, {0.0, 3.95, 1.0, 4.2}};
    for (const CalcRegion& region : regions) {
        for (int32_t stripeCount : {1, 3, 7}) {
            const std::vector<uint64_t> expected = ExpectedHits(grid, region, stripeCount);
            for (int32_t threads : {1, 2, 5}) {
                SCOPED_TRACE(testing::Message() << region.xmin << " " << region.ymin << ", " << stripeCount
                                                << " stripes, " << threads << " threads");
                auto pool = StripePool::Start(Stripes(grid, region, stripeCount), threads);
                ASSERT_TRUE(pool);
                for (int32_t row = grid.height - 1; row >= 0; --row) {
                    ASSERT_NO_FATAL_FAILURE(ExpectNextRow(**pool, expected, grid, row));
                }
                EXPECT_EQ(*(*pool)->NextRow(std::chrono::milliseconds(0)), nullptr);
                EXPECT_EQ((*pool)->RowsHandedOut(), grid.height);
            }
        }
    }
}

// Only the wanted rows are handed out, each with its stripe's hits, in runs cut across stripes.
TEST(StripePool, HandsOutOnlyTheWantedRows)
{
    const Size grid{31, 57};
    const CalcRegion region{0.0, 3.5, 1.0, 4.0};
    const std::vector<uint64_t> expected = ExpectedHits(grid, region, 3);
    std::vector<bool> wanted(static_cast<size_t>(grid.height));
    for (int32_t row = 0; row < grid.height; ++row) {
        wanted[static_cast<size_t>(row)] = row % 7 < 5 || row == 20;
    }
    auto pool = StripePool::Start(Stripes(grid, region, 3), 2, wanted);
    ASSERT_TRUE(pool);
    for (int32_t row = grid.height - 1; row >= 0; --row) {
        if (wanted[static_cast<size_t>(row)]) {
            ASSERT_NO_FATAL_FAILURE(ExpectNextRow(**pool, expected, grid, row));
        }
    }
    EXPECT_EQ(*(*pool)->NextRow(std::chrono::milliseconds(0)), nullptr);
}

TEST(StripePool, ACancelledPoolEndsAndHandsOutNoUnfinishedRow)
{
    // A deep zoom: a single row takes far longer than the test waits.
    const Size grid{1000, 6};
    auto started = StripePool::Start(Stripes(grid, {0.5, 3.7, 0.500001, 3.8}, 2), 2);
    ASSERT_TRUE(started);
    StripePool& pool = **started;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pool.Cancel();
    const Result<const uint64_t*> next = pool.NextRow(std::chrono::hours(1));
    ASSERT_TRUE(next);  // cancelled, not failed
    EXPECT_EQ(*next, nullptr);
    EXPECT_EQ(pool.RowsHandedOut(), 0);
}

}  // namespace
