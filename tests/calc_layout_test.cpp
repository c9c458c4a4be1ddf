#include "core/calc_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

void ExpectFit(int32_t aw, int32_t ah, CalcRegion region, int32_t width, int32_t height)
{
    const Size grid = FitGridToArea(aw, ah, region);
    EXPECT_EQ(grid.width, width) << aw << "x" << ah;
    EXPECT_EQ(grid.height, height) << aw << "x" << ah;
}

TEST(FitGridToArea, ComparesWithTheIntegerQuotientOfTheArea)
{
    // A 1000 × 700 client area leaves 960 × 660: the quotient is 1, not 1.45.
    ExpectFit(960, 660, {0.0, 3.0, 1.0, 4.0}, 660, 660);  // 1 > 1 is false: height-limited
    ExpectFit(960, 660, {0.0, 3.0, 1.2, 4.0}, 960, 800);  // taller than the area allows
    ExpectFit(960, 660, {0.0, 3.5, 1.0, 4.0}, 960, 480);
    ExpectFit(2000, 660, {0.0, 3.0, 2.5, 4.0}, 1650, 660);  // quotient 3: 2.5 > 3 is false
}

TEST(FitGridToArea, ZeroExtentsGiveEmptyGrids)
{
    ExpectFit(960, 660, {0.0, 3.5, 1.0, 3.5}, 960, 0);  // no parameter extent: width-limited
    ExpectFit(960, 660, {0.5, 3.0, 0.5, 4.0}, 0, 660);  // no x extent: height-limited
    ExpectFit(960, 660, {0.5, 3.5, 0.5, 3.5}, 0, 660);  // 0 ÷ 0 is not a number: height-limited
}

TEST(FitGridToArea, PortraitAreaComparesWithTheExactRatio)
{
    // With the integer quotient 0 every region would be width-limited, asking for a grid
    // 500 × 500,000 here; the exact ratio 0.5 keeps the grid inside the area.
    ExpectFit(500, 1000, {0.0, 3.0, 0.001, 4.0}, 1, 1000);
    ExpectFit(500, 1000, {0.0, 3.0, 1.0, 4.0}, 500, 500);
    ExpectFit(500, 1000, {0.0, 3.0, 0.5, 4.0}, 500, 1000);  // equal ratios: height-limited
}

TEST(StripeBounds, CoverTheGridInOrderWithoutGapsOrOverlaps)
{
    const std::vector<std::pair<int32_t, int32_t>> sevenOnFour = {{0, 1}, {1, 3}, {3, 5}, {5, 7}};
    const std::vector<std::pair<int32_t, int32_t>> twoOnFour = {{0, 0}, {0, 1}, {1, 1}, {1, 2}};
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(StripeBounds(i, 4, 7).first, sevenOnFour[i].first);
        EXPECT_EQ(StripeBounds(i, 4, 7).last, sevenOnFour[i].second);
        EXPECT_EQ(StripeBounds(i, 4, 2).first, twoOnFour[i].first);
        EXPECT_EQ(StripeBounds(i, 4, 2).last, twoOnFour[i].second);
    }
    // Large grids and many workers: the products do not overflow.
    EXPECT_EQ(StripeBounds(999, 1000, 65536).first, 65470);
    EXPECT_EQ(StripeBounds(999, 1000, 65536).last, 65536);
}

TEST(StripeFor, GivesEachWorkerItsRowsAndRegion)
{
    std::vector<int32_t> levels(660 * 660);
    const CalcRegion region{0.0, 3.0, 1.0, 4.0};
    const double starts[] = {3.0, 3.25, 3.5, 3.75};
    for (int32_t i = 0; i < 4; ++i) {
        const StripeSpec stripe = StripeFor(levels.data(), {660, 660}, region, StripeBounds(i, 4, 660));
        EXPECT_EQ(stripe.cells, levels.data() + 165 * 660 * i);
        EXPECT_EQ(stripe.width, 660);
        EXPECT_EQ(stripe.rows, 165);
        EXPECT_EQ(stripe.xMin, 0.0);
        EXPECT_EQ(stripe.xRange, 1.0);
        EXPECT_EQ(stripe.yStart, starts[i]);
        EXPECT_EQ(stripe.yRange, 0.25);
    }
}

TEST(StripeFor, RangesAreDifferencesOfGridCoordinates)
{
    // x(W) − x(0) and y(last) − y(first) as computed, not the region's own extents.
    std::vector<int32_t> levels(3 * 7);
    const CalcRegion region{0.1, 3.3, 0.7, 3.9};
    const StripeSpec stripe = StripeFor(levels.data(), {3, 7}, region, {2, 5});
    EXPECT_EQ(stripe.xMin, (0 * (0.7 - 0.1)) / 3 + 0.1);
    EXPECT_EQ(stripe.xRange, ((3 * (0.7 - 0.1)) / 3 + 0.1) - 0.1);
    EXPECT_EQ(stripe.yStart, (2 * (3.9 - 3.3)) / 7 + 3.3);
    EXPECT_EQ(stripe.yRange, ((5 * (3.9 - 3.3)) / 7 + 3.3) - stripe.yStart);
    EXPECT_EQ(stripe.rows, 3);
}

}  // namespace
