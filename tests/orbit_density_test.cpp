#include "calc/orbit_density.h"
#include "calc/truncate.h"
#include "literal_orbit_density.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace {

struct Case {
    int32_t width;
    int32_t rows;
    double xMin, yStart, xRange, yRange;
};

std::vector<int32_t> Compute(const Case& c, int32_t fill = -1)
{
    std::vector<int32_t> cells(static_cast<size_t>(c.width) * c.rows + 1, fill);
    std::atomic<int32_t> cancel{0};
    StripeSpec stripe{cells.data(), c.width, c.rows, c.xMin, c.yStart, c.xRange, c.yRange};
    EXPECT_EQ(ComputeStripe(stripe, cancel), StripeResult::Completed);
    return cells;
}

std::vector<int32_t> ComputeLiterally(const Case& c, int32_t fill = -1)
{
    std::vector<int32_t> cells(static_cast<size_t>(c.width) * c.rows + 1, fill);
    literal::ComputeStripe(cells.data(), c.width, c.rows, c.xMin, c.yStart, c.xRange, c.yRange);
    return cells;
}

TEST(TruncToInt32, TruncatesTowardZeroAndSaturates)
{
    EXPECT_EQ(TruncToInt32(2.9), 2);
    EXPECT_EQ(TruncToInt32(-0.7), 0);
    EXPECT_EQ(TruncToInt32(-2.9), -2);
    EXPECT_EQ(TruncToInt32(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(TruncToInt32(-std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(TruncToInt32(std::nan("")), 0);
    EXPECT_EQ(TruncToInt32(2147483647.9), 2147483647);
    EXPECT_EQ(TruncToInt32(3e9), 2147483647);
    EXPECT_EQ(TruncToInt32(-2147483648.9), -2147483647 - 1);
    EXPECT_EQ(TruncToInt32(-1e300), -2147483647 - 1);
}

TEST(OrbitDensity, IterationCountFollowsWidthOverRange)
{
    EXPECT_EQ(IterationCount(660, 1.0), 66000);
    EXPECT_EQ(IterationCount(660, 0.5), 132000);
    EXPECT_EQ(IterationCount(660, 0.0), 0);      // infinite quotient
    EXPECT_EQ(IterationCount(0, 0.0), 0);        // not a number
    EXPECT_EQ(IterationCount(660, -1.0), -66000);
    EXPECT_EQ(IterationCount(65536, 1e-9), 2147483647);  // saturates, never wraps
}

TEST(OrbitDensity, LevelIsOnePerFiftyHitsUpTo255)
{
    EXPECT_EQ(LevelFromHits(0), 0);
    EXPECT_EQ(LevelFromHits(49), 0);
    EXPECT_EQ(LevelFromHits(50), 1);
    EXPECT_EQ(LevelFromHits(12749), 254);
    EXPECT_EQ(LevelFromHits(12750), 255);
    EXPECT_EQ(LevelFromHits(int64_t{10} * 2147483647), 255);
}

TEST(OrbitDensity, SubSamplesLieBelowTheRowParameter)
{
    int32_t cell = 0;
    const StripeSpec stripe{&cell, 1, 4, 0.0, 3.0, 1.0, 1.0};
    EXPECT_EQ(SubSampleParameter(stripe, 0, 0), 3.0);
    EXPECT_DOUBLE_EQ(SubSampleParameter(stripe, 0, 9), 3.0 - 0.9 * 0.25);
    EXPECT_EQ(SubSampleParameter(stripe, 2, 0), 3.5);
}

TEST(OrbitDensity, ColumnsTruncateTowardZero)
{
    const StripeSpec stripe{nullptr, 660, 1, 0.0, 3.0, 1.0, 1.0};
    const double first = (kOrbitStart * (1 - kOrbitStart)) * 3.0;
    EXPECT_DOUBLE_EQ(first, 0.3246302925);
    EXPECT_EQ(ColumnOf(first, stripe), 214);
    EXPECT_EQ(ColumnOf(1.0, stripe), 660);           // one past the last column: not counted
    EXPECT_EQ(ColumnOf(0.0, stripe), 0);
    EXPECT_EQ(ColumnOf(-1.0 / 660 / 2, stripe), 0);  // less than a column left of xmin
    EXPECT_EQ(ColumnOf(-1.5 / 660, stripe), -1);
    const StripeSpec narrow{nullptr, 1000, 1, 0.5, 3.0, 1e-12, 1.0};
    EXPECT_EQ(ColumnOf(10.0, narrow), 2147483647);  // far outside: saturates, never wraps
}

TEST(OrbitDensity, MatchesTheLiteralAlgorithmCellForCell)
{
    const Case cases[] = {
        {660, 12, 0.0, 3.0, 1.0, 1.0},            // default region, a stripe of it
        {97, 31, 0.0, 3.0, 1.0, 1.0},             // odd sizes
        {1, 1, 0.0, 3.5, 1.0, 0.5},               // one cell
        {2, 3, 0.0, 3.9, 1.0, 0.1},
        {120, 16, 0.3, 3.82, 0.25, 0.04},         // periodic window near 1 + sqrt(8)
        {150, 10, 0.4, 3.8, 0.2, 0.1},            // chaotic zoom
        {80, 12, 0.0, 3.95, 1.0, 0.25},           // a above 4: orbits escape
        {64, 8, -0.5, 2.0, 2.0, 2.5},             // x-range outside 0..1, a below 3
        {50, 6, -12.0, -2.0, 24.0, 1.0},          // negative parameters
        {33, 3, 0.5, 3.6, 1e-3, 0.01},            // narrow x-range: many iterations
        {40, 4, 0.0, 4.0, 1.0, 0.0},              // zero row range: a = 4 everywhere
        {25, 7, 1.0, 4.0, 1.0, 1.0},              // x-range beyond the orbit values
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.rows << " x " << c.xMin << "+"
                                        << c.xRange << " a " << c.yStart << "+" << c.yRange);
        EXPECT_EQ(Compute(c), ComputeLiterally(c));
    }
}

TEST(OrbitDensity, EmptyStripesWriteNothing)
{
    for (const Case& c : {Case{0, 5, 0.0, 3.0, 1.0, 1.0}, Case{5, 0, 0.0, 3.0, 1.0, 1.0}}) {
        const std::vector<int32_t> cells = Compute(c, -7);
        for (int32_t value : cells) {
            EXPECT_EQ(value, -7);
        }
    }
}

TEST(OrbitDensity, CancelAlreadySetWritesNothing)
{
    std::vector<int32_t> cells(100, -3);
    std::atomic<int32_t> cancel{1};
    StripeSpec stripe{cells.data(), 10, 10, 0.0, 3.0, 1.0, 1.0};
    EXPECT_EQ(ComputeStripe(stripe, cancel), StripeResult::Cancelled);
    for (int32_t value : cells) {
        EXPECT_EQ(value, -3);
    }
}

TEST(OrbitDensity, CancelInsideARowAbandonsThatRowAndKeepsEarlierOnes)
{
    // x-range 1e-6 makes each sub-sample 100 million iterations: a row lasts far longer than
    // the test; the cancel must be seen inside the first row, which is then not stored.
    std::vector<int32_t> cells(2 * 1000, -5);
    std::atomic<int32_t> cancel{0};
    StripeSpec stripe{cells.data(), 1000, 2, 0.5, 3.7, 1e-6, 0.1};
    StripeResult result = StripeResult::Completed;
    std::thread worker([&] { result = ComputeStripe(stripe, cancel); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    cancel.store(1);
    worker.join();
    EXPECT_EQ(result, StripeResult::Cancelled);
    for (int32_t value : cells) {
        EXPECT_EQ(value, -5);
    }
}

}  // namespace
