#include "core/stripe_pool.h"
#include "core/calc_layout.h"
#include "hang_guard.h"
#include "literal_orbit_density.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

std::vector<StripeSpec> Stripes(std::vector<int32_t>& levels, Size grid, const CalcRegion& region, int32_t count)
{
    std::vector<StripeSpec> stripes;
    for (int32_t i = 0; i < count; ++i) {
        stripes.push_back(StripeFor(levels.data(), grid, region, StripeBounds(i, count, grid.height)));
    }
    return stripes;
}

TEST(StripePool, LevelsAreThoseOfTheStripesWhicheverThreadsComputeThem)
{
    const Size grid{53, 41};
    const CalcRegion regions[] = {{0.0, 3.0, 1.0, 4.0}, {0.4, 3.8, 0.6, 3.9}, {0.0, 3.95, 1.0, 4.2}};
    for (const CalcRegion& region : regions) {
        for (int32_t stripeCount : {1, 3, 7}) {
            std::vector<int32_t> expected(static_cast<size_t>(grid.width) * grid.height, -1);
            for (const StripeSpec& s : Stripes(expected, grid, region, stripeCount)) {
                literal::ComputeStripe(s.cells, s.width, s.rows, s.xMin, s.yStart, s.xRange, s.yRange);
            }
            for (int32_t threads : {1, 2, 5}) {
                SCOPED_TRACE(testing::Message() << region.xmin << " " << region.ymin << ", " << stripeCount
                                                << " stripes, " << threads << " threads");
                std::vector<int32_t> levels(expected.size(), -1);
                const auto pool = StripePool::Start(Stripes(levels, grid, region, stripeCount), threads);
                ASSERT_NE(pool, nullptr);
                ASSERT_TRUE(WaitWithoutEvents([&pool] { return pool->Finished(); }));
                EXPECT_TRUE(pool->Complete());
                EXPECT_EQ(pool->RowsDone(), grid.height);
                EXPECT_EQ(levels, expected);
            }
        }
    }
}

TEST(StripePool, ACancelledPoolEndsAndStoresNoUnfinishedRow)
{
    // A deep zoom: a single row takes far longer than the test waits.
    const Size grid{1000, 6};
    std::vector<int32_t> levels(static_cast<size_t>(grid.width) * grid.height, -1);
    const auto pool = StripePool::Start(Stripes(levels, grid, {0.5, 3.7, 0.500001, 3.8}, 2), 2);
    ASSERT_NE(pool, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pool->Cancel();
    ASSERT_TRUE(WaitWithoutEvents([&pool] { return pool->Finished(); }));
    EXPECT_FALSE(pool->Complete());
    EXPECT_EQ(levels, std::vector<int32_t>(levels.size(), -1));
}

}  // namespace
