#include "core/orbit_density.h"
#include "core/lyapunov.h"
#include "core/truncate.h"
#include "hang_guard.h"
#include "literal_orbit_density.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <thread>
#include <vector>

namespace {

struct Case {
    int32_t width;
    int32_t rows;
    double xMin, yStart, xRange, yRange;
};

std::vector<OrbitKernel> SupportedKernels()
{
    std::vector<OrbitKernel> kernels;
    for (OrbitKernel kernel : kOrbitKernels) {
        if (OrbitKernelSupported(kernel)) {
            kernels.push_back(kernel);
        }
    }
    return kernels;
}

std::vector<int32_t> Compute(OrbitKernel kernel, const Case& c, int32_t fill = -1)
{
    std::vector<int32_t> cells(static_cast<size_t>(c.width) * c.rows + 1, fill);
    std::atomic<int32_t> cancel{0};
    StripeSpec stripe{cells.data(), c.width, c.rows, c.xMin, c.yStart, c.xRange, c.yRange};
    EXPECT_EQ(ComputeStripeWith(kernel, stripe, cancel), StripeResult::Completed);
    return cells;
}

std::vector<int32_t> ComputeLiterally(const Case& c)
{
    std::vector<int32_t> cells(static_cast<size_t>(c.width) * c.rows + 1, -1);
    literal::ComputeStripe(cells.data(), c.width, c.rows, c.xMin, c.yStart, c.xRange, c.yRange);
    return cells;
}

// Names the first differing cell and how many differ, instead of printing whole grids.
testing::AssertionResult SameLevels(const std::vector<int32_t>& expected, const std::vector<int32_t>& actual,
                                    int32_t width)
{
    if (expected == actual) {
        return testing::AssertionSuccess();
    }
    size_t differing = 0;
    size_t first = expected.size();
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i]) {
            first = std::min(first, i);
            ++differing;
        }
    }
    return testing::AssertionFailure() << differing << " cells differ; first at row " << first / width << " column "
                                       << first % width << ": " << actual[first] << " instead of " << expected[first];
}

// Whether two exponents are the same bits, or both not a number.
bool SameLyapunov(double expected, double actual)
{
    return std::bit_cast<int64_t>(expected) == std::bit_cast<int64_t>(actual) ||
           (std::isnan(expected) && std::isnan(actual));
}

// The hits and, with them, the sub-samples' Lyapunov exponents of the kernel match the literal
// computation's bit for bit.
void ExpectKernelMatchesTheLiteralLyapunov(OrbitKernel kernel, const Case& c, const std::vector<uint64_t>& hits,
                                           const std::vector<double>& lyapunov)
{
    std::vector<uint64_t> actualHits(hits.size());
    std::vector<double> actual(lyapunov.size());
    std::atomic<int32_t> cancel{0};
    const StripeSpec stripe{nullptr, c.width, c.rows, c.xMin, c.yStart, c.xRange, c.yRange};
    EXPECT_EQ(ComputeStripeHitsInto(stripe, {0, c.rows}, actualHits.data(), cancel, actual.data(), kernel),
              StripeResult::Completed);
    EXPECT_EQ(actualHits, hits);
    for (size_t i = 0; i < actual.size(); ++i) {
        ASSERT_TRUE(SameLyapunov(lyapunov[i], actual[i]))
            << "row " << i / kSubSamples << " sub-sample " << i % kSubSamples << ": " << actual[i] << " instead of "
            << lyapunov[i] << std::hexfloat << " (" << actual[i] << " instead of " << lyapunov[i] << ")";
    }
}

// Compares every kernel this processor can run with the literal algorithm, cell for cell, and
// so the Lyapunov exponents.
void ExpectEveryKernelMatchesTheLiteralAlgorithm(std::initializer_list<Case> cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.rows << " x " << c.xMin << "+" << c.xRange << " a "
                                        << c.yStart << "+" << c.yRange);
        const std::vector<int32_t> expected = ComputeLiterally(c);
        const std::vector<uint64_t> hits = literal::StripeHits(c.width, c.rows, c.xMin, c.yStart, c.xRange, c.yRange);
        const std::vector<double> lyapunov = literal::StripeLyapunov(c.width, c.rows, c.yStart, c.xRange, c.yRange);
        for (OrbitKernel kernel : SupportedKernels()) {
            SCOPED_TRACE(OrbitKernelName(kernel));
            EXPECT_TRUE(SameLevels(expected, Compute(kernel, c), c.width));
            ExpectKernelMatchesTheLiteralLyapunov(kernel, c, hits, lyapunov);
        }
    }
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
    EXPECT_EQ(IterationCount(660, 0.0), 0);  // infinite quotient
    EXPECT_EQ(IterationCount(0, 0.0), 0);    // not a number
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
    EXPECT_EQ(ColumnOf(1.0, stripe), 660);  // one past the last column: not counted
    EXPECT_EQ(ColumnOf(0.0, stripe), 0);
    EXPECT_EQ(ColumnOf(-1.0 / 660 / 2, stripe), 0);  // less than a column left of xmin
    EXPECT_EQ(ColumnOf(-1.5 / 660, stripe), -1);
    const StripeSpec narrow{nullptr, 1000, 1, 0.5, 3.0, 1e-12, 1.0};
    EXPECT_EQ(ColumnOf(10.0, narrow), 2147483647);  // far outside: saturates, never wraps
}

// The counted iterates end one ulp inside the columns: the next double beyond either end has a
// column outside 0..W − 1, unless the end is the divergence bound itself.
TEST(OrbitDensity, CountedIteratesEndAtTheEdgesOfTheColumns)
{
    const double infinity = std::numeric_limits<double>::infinity();
    for (const Case& c : {
             Case{660, 1, 0.0, 3.0, 1.0, 1.0},       // the column-0 band reaches left of 0
             Case{10, 1, 0.5, 3.9, 1e-4, 2e-4},      // a deep zoom
             Case{1000, 1, 0.5, 3.9, 1e-12, 1.0},    // quotients far beyond 32 bits
             Case{4, 1, -1e-300, 0.5, 2e-300, 1.0},  // tiny iterates, subnormals among them
             Case{8, 1, -3.5, -2.0, 0.25, 1.0},      // negative iterates
             Case{4, 1, -10.0, 3.0, 1.0, 1.0},       // the column-0 band beyond the bound
             Case{3, 1, 9.5, 3.0, 3.0, 1.0},         // the last column beyond the bound
         }) {
        const StripeSpec stripe{nullptr, c.width, c.rows, c.xMin, c.yStart, c.xRange, c.yRange};
        SCOPED_TRACE(testing::Message() << c.width << " columns from " << c.xMin << " over " << c.xRange);
        const auto counted = CountedIterates(stripe);
        ASSERT_TRUE(counted.has_value());
        const auto [first, last] = *counted;
        const auto inside = [&](double x) { return ColumnOf(x, stripe) >= 0 && ColumnOf(x, stripe) < c.width; };
        EXPECT_TRUE(inside(first));
        EXPECT_TRUE(inside(last));
        EXPECT_TRUE(first == -10.0 || ColumnOf(std::nextafter(first, -infinity), stripe) < 0);
        EXPECT_TRUE(last == 10.0 || ColumnOf(std::nextafter(last, infinity), stripe) >= c.width);
    }
    EXPECT_EQ(CountedIterates({nullptr, 10, 1, 20.0, 3.9, 1.0, 1.0}), std::nullopt);
    EXPECT_EQ(CountedIterates({nullptr, 10, 1, -30.0, 3.9, 1.0, 1.0}), std::nullopt);
}

TEST(OrbitDensity, TheProcessorCheckFindsTheKernelTheSystemReports)
{
    // Named by the test run from the system's own account of the processor (Linux's).
    const char* expected = std::getenv("CORVALIS_EXPECTED_KERNEL");
    if (expected == nullptr) {
        GTEST_SKIP() << "the test run names no expected kernel";
    }
    EXPECT_STREQ(OrbitKernelName(FastestOrbitKernel()), expected);
}

TEST(OrbitDensity, EveryKernelMatchesTheLiteralAlgorithmOnTheDefaultRegion)
{
    ExpectEveryKernelMatchesTheLiteralAlgorithm({
        {660, 12, 0.0, 3.0, 1.0, 1.0},   // rows spread over the whole region
        {660, 10, 0.0, 3.0, 1.0, 0.05},  // slow convergence just above a = 3
        {97, 31, 0.0, 3.0, 1.0, 1.0},    // odd sizes
    });
}

TEST(OrbitDensity, EveryKernelMatchesTheLiteralAlgorithmOnPeriodicOrbits)
{
    ExpectEveryKernelMatchesTheLiteralAlgorithm({
        {120, 16, 0.3, 3.82, 0.25, 0.04},  // the period-3 window near 1 + sqrt(8)
        {17, 40, 0.1, 3.828, 0.9, 0.02},   // its edge, with long intermittent transients
        {200, 24, 0.0, 3.44, 1.0, 0.13},   // periods 4, 8, 16, 32 of the doubling cascade
        {9, 12, 0.0, 3.55, 1.0, 0.02},     // long periods found near the last iteration
        {7, 9, 0.0, 2.95, 1.0, 0.1},       // too slow to repeat within 700 iterations
        {5, 11, -1.0, 3.0, 3.0, 0.6},      // 166 iterations, fewer than many pre-periods
        {40, 4, 0.0, 4.0, 1.0, 0.0},       // a = 4 everywhere: 0.5, then 1, then 0 forever
    });
}

TEST(OrbitDensity, EveryKernelMatchesTheLiteralAlgorithmOnChaoticAndEscapingOrbits)
{
    ExpectEveryKernelMatchesTheLiteralAlgorithm({
        {150, 10, 0.4, 3.8, 0.2, 0.1},    // chaotic zoom
        {80, 12, 0.0, 3.95, 1.0, 0.25},   // a above 4: orbits escape
        {25, 7, 1.0, 4.0, 1.0, 1.0},      // x-range beyond the orbit values
        {64, 8, -0.5, 2.0, 2.0, 2.5},     // x-range outside 0..1, a below 3
        {50, 6, -12.0, -2.0, 24.0, 1.0},  // negative parameters
    });
}

TEST(OrbitDensity, EveryKernelMatchesTheLiteralAlgorithmOnSmallAndNarrowGrids)
{
    ExpectEveryKernelMatchesTheLiteralAlgorithm({
        {1, 1, 0.0, 3.5, 1.0, 0.5},
        {2, 3, 0.0, 3.9, 1.0, 0.1},
        {3, 2, 0.2, 3.7, 0.6, 0.3},
        {7, 5, 0.0, 3.6, 1.0, 0.4},
        {17, 1, 0.0, 3.99, 1.0, 0.01},
        {12, 2, 0.5, 3.6, 1e-3, 0.01},  // narrow x-range: a million iterations
        {1, 1, 0.6, 3.7, 2e-5, 0.001},  // very narrow: five million iterations
    });
}

// Windows narrow enough that most iterates count nowhere: tiny iterates decaying to 0 through
// the subnormals, negative iterates, and windows the orbits never reach.
TEST(OrbitDensity, EveryKernelMatchesTheLiteralAlgorithmOnWindowsFewIteratesReach)
{
    ExpectEveryKernelMatchesTheLiteralAlgorithm({
        {4, 3, -1e-3, 0.6, 2e-3, 0.3},     // a below 1: orbits decay to 0
        {4, 3, -0.12, -0.8, 0.03, 0.4},    // negative parameters: negative iterates
        {10, 2, 5.0, 3.9, 0.02, 0.01},     // beyond the orbits
        {10, 2, 20.0, 3.9, 0.02, 0.01},    // beyond the divergence bound: nothing counts
        {3, 4, 0.9, 3.95, 0.01, 0.05},     // chaotic, near the top of the orbits
        {2, 16, 0.35, 3.569, 0.02, 8e-4},  // long periods, followed on in the lanes
    });
}

// Quotients that are infinite, not a number or beyond the 32-bit range, and iteration counts
// that are not positive.
TEST(OrbitDensity, EveryKernelMatchesTheLiteralAlgorithmOnExtremeRegions)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ExpectEveryKernelMatchesTheLiteralAlgorithm({
        {30, 3, -1e308, 3.5, 0.5, 0.5},  // infinite quotients count in column 0
        {30, 3, nan, 3.5, 1.0, 0.5},     // so do quotients that are not a number
        {50, 2, -1e9, 3.5, 1.0, 0.5},    // quotients beyond the 32-bit range
        {20, 2, 0.0, 3.5, -1.0, 0.5},    // negative iteration count
        {20, 2, 0.0, 3.5, 0.0, 0.5},     // infinite iteration count converts to 0
    });
}

// The hits of a column in a row can reach ten times the largest iteration count, beyond any
// 32-bit counter. With a = 0 every iterate is exactly 0 and counts in column 0.
TEST(OrbitDensity, CountsBeyondThirtyTwoBitsStayExact)
{
    const double justAboveTwoTo32 = 100.0 / 429496730.5;  // ten sub-samples: 2^32 + 4 hits
    const double saturated = 1e-12;                       // 2^31 − 1 iterations each
    ASSERT_EQ(int64_t{10} * IterationCount(1, justAboveTwoTo32), (int64_t{1} << 32) + 4);
    ASSERT_EQ(IterationCount(1, saturated), std::numeric_limits<int32_t>::max());
    for (double xRange : {justAboveTwoTo32, saturated}) {
        const int64_t hits = int64_t{kSubSamples} * IterationCount(1, xRange);
        for (OrbitKernel kernel : SupportedKernels()) {
            SCOPED_TRACE(OrbitKernelName(kernel));
            const std::vector<int32_t> cells = Compute(kernel, {1, 3, 0.0, 0.0, xRange, 0.0});
            EXPECT_EQ(cells[0], LevelFromHits(hits));
            EXPECT_EQ(cells[1], cells[0]);
            EXPECT_EQ(cells[2], cells[0]);
        }
    }
}

TEST(OrbitDensity, EmptyStripesWriteNothing)
{
    for (OrbitKernel kernel : SupportedKernels()) {
        for (const Case& c : {Case{0, 5, 0.0, 3.0, 1.0, 1.0}, Case{5, 0, 0.0, 3.0, 1.0, 1.0}}) {
            EXPECT_EQ(Compute(kernel, c, -7), std::vector<int32_t>(static_cast<size_t>(c.width) * c.rows + 1, -7));
        }
    }
}

TEST(OrbitDensity, CancelAlreadySetWritesNothing)
{
    for (OrbitKernel kernel : SupportedKernels()) {
        std::vector<int32_t> cells(100, -3);
        std::atomic<int32_t> cancel{1};
        StripeSpec stripe{cells.data(), 10, 10, 0.0, 3.0, 1.0, 1.0};
        EXPECT_EQ(ComputeStripeWith(kernel, stripe, cancel), StripeResult::Cancelled);
        EXPECT_EQ(cells, std::vector<int32_t>(100, -3)) << OrbitKernelName(kernel);
    }
}

// Row 0 samples a from 2.8 down to 1.99, where orbits settle on a fixed point: with cycle
// detection its 2^31 − 1 iterations per sub-sample take moments. Row 1 reaches the chaotic
// a = 3.7, whose orbits take far longer than the test. A cancel while row 1 is computed keeps
// row 0, complete and counted as done, and writes nothing of row 1.
TEST(OrbitDensity, CancelInsideARowAbandonsThatRowAndKeepsEarlierOnes)
{
    constexpr int32_t kWidth = 100;
    const StripeSpec oneRow{nullptr, kWidth, 1, 0.3, 2.8, 1e-9, 0.9};
    for (OrbitKernel kernel : SupportedKernels()) {
        SCOPED_TRACE(OrbitKernelName(kernel));
        std::vector<int32_t> expectedRow0(kWidth, -5);
        StripeSpec row0 = oneRow;
        row0.cells = expectedRow0.data();
        const std::atomic<int32_t> neverCancel{0};
        ASSERT_EQ(ComputeStripeWith(kernel, row0, neverCancel), StripeResult::Completed);

        std::vector<int32_t> cells(2 * kWidth, -5);
        std::atomic<int32_t> cancel{0};
        const StripeSpec stripe{cells.data(), kWidth, 2, oneRow.xMin, oneRow.yStart, oneRow.xRange, 2 * oneRow.yRange};
        StripeResult result = StripeResult::Completed;
        std::atomic<int32_t> rowsDone{0};
        std::thread worker([&] { result = ComputeStripeWith(kernel, stripe, cancel, &rowsDone); });
        ASSERT_TRUE(WaitWithoutEvents([&rowsDone] { return rowsDone.load() == 1; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // most likely inside row 1 by now
        cancel.store(1);
        worker.join();
        EXPECT_EQ(result, StripeResult::Cancelled);
        EXPECT_EQ(rowsDone.load(), 1);
        EXPECT_EQ(std::vector<int32_t>(cells.begin(), cells.begin() + kWidth), expectedRow0);
        EXPECT_EQ(std::vector<int32_t>(cells.begin() + kWidth, cells.end()), std::vector<int32_t>(kWidth, -5));
    }
}

// The mean Lyapunov exponent of ten sub-samples within 1e-9 of a, each over 10,000 iterations
// from 0.12345.
double LyapunovNear(double a)
{
    std::vector<uint64_t> hits(100);
    std::vector<double> lyapunov(kSubSamples);
    std::atomic<int32_t> cancel{0};
    const StripeSpec stripe{nullptr, 100, 1, 0.0, a, 1.0, 1e-9};
    EXPECT_EQ(ComputeStripeHitsInto(stripe, {0, 1}, hits.data(), cancel, lyapunov.data()), StripeResult::Completed);
    return SummarizeRowLyapunov(lyapunov.data()).lambda;
}

TEST(OrbitDensity, LyapunovExponentsFollowTheMathematics)
{
    // The fixed point, 1 < a < 3: ln |2 − a|; the 2-cycle, 3 < a < 1 + √6: ½ ln |4 + 2a − a²|.
    for (const double a : {1.5, 2.5, 2.9, 3.2, 3.4}) {
        const double expected = a < 3 ? std::log(std::fabs(2 - a)) : 0.5 * std::log(std::fabs(4 + 2 * a - a * a));
        EXPECT_NEAR(LyapunovNear(a), expected, 2e-3) << "a = " << a;
    }
    // Near 0 where the cycles double, below 0 on either side, and above 0 in chaos beyond it.
    const double doublings[] = {3.0, 1 + std::sqrt(6.0), 3.5699456};
    for (const double a : doublings) {
        EXPECT_NEAR(LyapunovNear(a), 0.0, 0.02) << "a = " << a;
        EXPECT_LT(LyapunovNear(a - 0.02), 0.0) << "a = " << a - 0.02;
    }
    EXPECT_LT(LyapunovNear(3.0 + 0.02), 0.0);
    EXPECT_LT(LyapunovNear(1 + std::sqrt(6.0) + 0.02), 0.0);
    EXPECT_GT(LyapunovNear(3.6), 0.1);
    // ln 2 as a nears 4; below 0 in the period-3 window from 1 + √8 on.
    EXPECT_NEAR(LyapunovNear(3.99999), std::log(2.0), 0.03);
    for (const double a : {3.8285, 3.835, 3.84}) {
        EXPECT_LT(LyapunovNear(a), 0.0) << "a = " << a;
    }
    EXPECT_GT(LyapunovNear(3.82), 0.0);
}

// A parameter whose orbit meets 0.5 has a derivative of 0 there: its exponent is −infinity. At
// a = 2 + 2^-51 the orbit meets it at step 8 (at a = 2 it settles just below it).
TEST(OrbitDensity, AnOrbitThroughTheCriticalPointHasMinusInfinity)
{
    EXPECT_EQ(LyapunovNear(0x1.0000000000001p+1), -std::numeric_limits<double>::infinity());
}

}  // namespace
