#include "stripe_lanes.h"

#include "core/exact_log.h"
#include "core/level_grid.h"

#include "orbit_lanes_step.h"
#include "scalar_lanes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace {

// Rows whose sub-samples may be in the lanes at once. Rows are stored in order, so a row that
// finishes early waits here for the ones before it.
constexpr int32_t kRowWindow = 8;

bool Cancelled(const std::atomic<int32_t>& cancel)
{
    return cancel.load(std::memory_order_relaxed) != 0;
}

// Whether the column quotient ((x − xmin) ÷ xr) × W is finite for every iterate that passes the
// divergence test, with a wide margin for rounding. Only stripes with a non-finite xmin or
// quotients near the largest double need the kernels' handling of infinite and NaN quotients.
bool QuotientsStayFinite(const StripeSpec& stripe)
{
    const double largest = ((std::fabs(stripe.xMin) + 2 * kEscapeBound) / stripe.xRange) * stripe.width;
    return std::isfinite(stripe.xMin) && stripe.xRange > 0.0 && largest < 1e300;
}

// Periods that must be left for a periodic lane's remaining columns to be worked out from one
// period stepped alone rather than followed in the lanes, which step far faster.
constexpr int64_t kShortcutPeriods = 32;

// Where the counted iterates span less than this part of the unit interval, over which the map's
// orbits spread, most steps count no lane at all.
constexpr double kFewCountedSpan = 1.0 / 32;

// The iterates the stripe counts, and the form of the kernel that counts them fastest.
struct StripeCounting {
    std::pair<double, double> counted;
    LaneKernelForm form;
};

StripeCounting CountingFor(const StripeSpec& stripe, const LaneKernelForms& kernel)
{
    if (!QuotientsStayFinite(stripe)) {
        return {{-kEscapeBound, kEscapeBound}, kernel.anyQuotients};
    }
    // None counted: a single point beyond every bounded iterate.
    const auto counted = CountedIterates(stripe).value_or(std::pair(2 * kEscapeBound, 2 * kEscapeBound));
    return {counted, counted.second - counted.first < kFewCountedSpan ? kernel.fewCounted : kernel.finiteQuotients};
}

// ln(product × 2^exponent), for a product in [1, 2) or 0.
double LogOfProduct(double product, int64_t exponent)
{
    constexpr double kLn2 = 0x1.62e42fefa39efp-1;
    return ExactLog(product) + static_cast<double>(exponent) * kLn2;
}

// |v| as mantissa × 2^exponent, the mantissa in [1, 2) (0 for 0), for a finite v.
std::pair<double, int64_t> SplitPowerOfTwo(double v)
{
    double mantissa = std::fabs(v);
    int64_t exponent = 0;
    // Twice: a subnormal v comes into the normal numbers the first time.
    Renormalise<ScalarOps>(mantissa, exponent);
    Renormalise<ScalarOps>(mantissa, exponent);
    return {mantissa, exponent};
}

// The sub-sample a lane follows. Brent's cycle test: the lane's saved iterate is the one of step
// 0, 1, 2, 4, 8, …; an orbit that becomes periodic meets its saved iterate again within about
// three times its pre-period plus period.
struct LaneJob {
    int32_t row = 0;
    int subSample = 0;
    int64_t step = 0;            // iterates made so far
    int64_t savedStep = 0;       // step of the saved iterate
    int64_t flushedStep = 0;     // step at which the lane's counts were last added to its row's
    int64_t slopeExponent = 0;   // the power of two taken out of a for the derivatives
    bool lyapunovTaken = false;  // its exponent is worked out from its cycle

    int64_t NextSaveStep() const { return savedStep == 0 ? 1 : 2 * savedStep; }
    // A lane's count cannot pass its largest value before this step.
    int64_t NextFlushStep() const { return flushedStep + std::numeric_limits<LaneCount>::max(); }
};

class StripeRun {
public:
    StripeRun(const StripeSpec& stripe, RowRange rows, RowStore store, const std::atomic<int32_t>& cancel,
              const LaneKernel& kernel, std::atomic<int32_t>* rowsDone);

    StripeResult Run();

private:
    int64_t NextEventStep(const LaneJob& job) const
    {
        return std::min({job.NextSaveStep(), job.NextFlushStep(), m_iterations});
    }
    int64_t StepsToNextEvent() const;
    bool HandleLane(int lane);
    bool FollowOnePeriod(int lane, bool countColumns);
    void TakeOrbitLyapunov(int lane);
    double& LyapunovOf(const LaneJob& job)
    {
        return m_rowLyapunov[(job.row % kRowWindow) * kSubSamples + job.subSample];
    }
    void StopCycleTest(int lane);
    bool IssueJobs();
    void StartJob(int lane, int32_t row, int subSample);
    void FinishJob(int lane);
    void FlushLaneCounts(int lane);
    void ParkLane(int lane);
    void StoreFinishedRows();
    int64_t* RowCounts(int32_t row) { return m_rowCounts.data() + (row % kRowWindow) * int64_t{m_stripe.width}; }

    const StripeSpec& m_stripe;
    const RowStore m_store;  // where the first row to compute is stored, the others after it
    const int32_t m_firstRow;
    const std::atomic<int32_t>& m_cancel;
    std::atomic<int32_t>* const m_rowsDone;
    const StripeCounting m_stripeCounting;
    const LaneKernelForm m_kernel;
    const int64_t m_iterations;
    const int32_t m_lastRow;              // one past the last row to compute
    const int64_t m_endJob;               // row × kSubSamples + sub-sample past the last sub-sample
    std::vector<LaneCount> m_laneCounts;  // each lane's hits of its current sub-sample since its last flush
    std::vector<int64_t> m_rowCounts;     // each window row's hits of its finished sub-samples
    std::vector<double> m_rowLyapunov;    // each window row's sub-samples' Lyapunov exponents
    std::array<int32_t, kRowWindow> m_finishedJobs{};
    std::array<LaneJob, kMaxLanes> m_jobs{};
    OrbitLanes m_lanes;
    LaneCounting m_counting;
    int64_t m_nextJob;  // row × kSubSamples + sub-sample of the next sub-sample to start
    int32_t m_nextRowToStore;
};

StripeRun::StripeRun(const StripeSpec& stripe, RowRange rows, RowStore store, const std::atomic<int32_t>& cancel,
                     const LaneKernel& kernel, std::atomic<int32_t>* rowsDone)
    : m_stripe(stripe),
      m_store(store),
      m_firstRow(rows.first),
      m_cancel(cancel),
      m_rowsDone(rowsDone),
      m_stripeCounting(CountingFor(stripe, store.lyapunov != nullptr ? kernel.withDerivatives : kernel.counting)),
      m_kernel(m_stripeCounting.form),
      m_iterations(IterationCount(stripe.width, stripe.xRange)),
      m_lastRow(rows.last),
      m_endJob(int64_t{rows.last} * kSubSamples),
      m_nextJob(int64_t{rows.first} * kSubSamples),
      m_nextRowToStore(rows.first)
{
    // Each lane's counts and spare take a whole number of 64-byte lines, an odd number of them,
    // so that the lanes' same columns do not all fall into the same cache set.
    constexpr int64_t kLine = 64 / sizeof(LaneCount);
    const int64_t stride = (((int64_t{stripe.width} + 1 + kLine - 1) / kLine) * kLine) | kLine;
    m_laneCounts.resize(static_cast<size_t>(stride * m_kernel.lanes));
    for (int lane = 0; lane < m_kernel.lanes; ++lane) {
        ParkLane(lane);
    }
    m_rowCounts.resize(static_cast<size_t>(int64_t{stripe.width} * kRowWindow));
    m_rowLyapunov.resize(size_t{kRowWindow} * kSubSamples);
    const auto [countedMin, countedMax] = m_stripeCounting.counted;
    m_counting = {stripe.xMin,         stripe.xRange, static_cast<double>(stripe.width), countedMin, countedMax,
                  m_laneCounts.data(), stride};
}

StripeResult StripeRun::Run()
{
    if (!IssueJobs()) {
        return StripeResult::Cancelled;
    }
    while (m_lanes.active != 0) {
        uint32_t events = 0;
        const int64_t steps = m_kernel.advance(m_lanes, m_counting, StepsToNextEvent(), events);
        if (Cancelled(m_cancel)) {
            return StripeResult::Cancelled;
        }
        for (int lane = 0; lane < m_kernel.lanes; ++lane) {
            if ((m_lanes.active >> lane) & 1u) {
                LaneJob& job = m_jobs[lane];
                job.step += steps;
                if (((events >> lane) & 1u) || job.step == NextEventStep(job)) {
                    if (!HandleLane(lane)) {
                        return StripeResult::Cancelled;
                    }
                }
            }
        }
        if (!IssueJobs()) {
            return StripeResult::Cancelled;
        }
    }
    return StripeResult::Completed;
}

// At most kCancelCheckInterval iterations of all lanes together pass between two reads of the
// cancel flag.
int64_t StripeRun::StepsToNextEvent() const
{
    int64_t steps = kCancelCheckInterval / m_kernel.lanes;
    for (int lane = 0; lane < m_kernel.lanes; ++lane) {
        if ((m_lanes.active >> lane) & 1u) {
            steps = std::min(steps, NextEventStep(m_jobs[lane]) - m_jobs[lane].step);
        }
    }
    return steps;
}

// Returns false when the cancel flag was found set.
bool StripeRun::HandleLane(int lane)
{
    LaneJob& job = m_jobs[lane];
    const double x = m_lanes.x[lane];
    const bool repeated = std::bit_cast<int64_t>(x) == m_lanes.saved[lane];
    if (!BoundedWhere<ScalarOps>(true, x)) {
        TakeOrbitLyapunov(lane);
        FinishJob(lane);  // escaped; the kernel did not count that iterate
    } else if (repeated && m_iterations - job.step >= kShortcutPeriods * (job.step - job.savedStep)) {
        if (!FollowOnePeriod(lane, true)) {
            return false;
        }
        FinishJob(lane);
    } else if (job.step == m_iterations) {
        if (!job.lyapunovTaken) {
            TakeOrbitLyapunov(lane);
        }
        FinishJob(lane);
    } else {
        if (repeated) {
            if (!FollowOnePeriod(lane, false)) {
                return false;
            }
            StopCycleTest(lane);
        } else if (job.step == job.NextSaveStep()) {
            m_lanes.saved[lane] = std::bit_cast<int64_t>(x);
            job.savedStep = job.step;
        }
        if (job.step == job.NextFlushStep()) {
            FlushLaneCounts(lane);
        }
    }
    return true;
}

// A periodic lane follows the rest of its orbit in the kernel: with fewer than kShortcutPeriods
// periods left, one period stepped alone costs more than all of them in the lanes. Its saved
// iterate, a NaN, is never met again, and no further step saves one.
void StripeRun::StopCycleTest(int lane)
{
    m_lanes.saved[lane] = std::bit_cast<int64_t>(std::numeric_limits<double>::quiet_NaN());
    m_jobs[lane].savedStep = m_iterations;
}

// The Lyapunov exponent of the lane's orbit as followed so far: ln of its product of derivatives
// over the iterations made.
void StripeRun::TakeOrbitLyapunov(int lane)
{
    if (m_store.lyapunov == nullptr) {
        return;
    }
    const LaneJob& job = m_jobs[lane];
    const int64_t exponent = m_lanes.productExponent[lane] + job.slopeExponent * job.step;
    LyapunovOf(job) = LogOfProduct(m_lanes.product[lane], exponent) / static_cast<double>(job.step);
}

// The lane's iterate equals its saved one, so from the saved step on the orbit repeats with
// period p = step − savedStep, and each remaining iterate falls where the one p steps before it
// fell. Following one more period therefore gives every remaining column: the k-th iterate of
// that period recurs once per whole period left, and once more if it lies within the partial
// period that ends the sub-sample; with countColumns, they are counted. The remaining
// derivatives repeat likewise: the Lyapunov exponent, where asked for, takes the product so far,
// the product of one period once per whole period left, and that of the partial period.
// Returns false when the cancel flag was found set.
bool StripeRun::FollowOnePeriod(int lane, bool countColumns)
{
    const bool lyapunov = m_store.lyapunov != nullptr;
    if (!countColumns && !lyapunov) {
        return true;
    }
    LaneJob& job = m_jobs[lane];
    const int64_t period = job.step - job.savedStep;
    const int64_t remaining = m_iterations - job.step;
    const int64_t wholePeriods = remaining / period;
    const int64_t partialPeriod = remaining % period;
    const int64_t steps = std::min(period, remaining);
    int64_t* counts = RowCounts(job.row);
    const double a = m_lanes.a[lane];
    const double slopeScale = m_lanes.slopeScale[lane];
    double x = m_lanes.x[lane];
    double product = 1.0;
    int64_t exponent = 0;
    std::pair<double, int64_t> partialProduct{product, exponent};
    for (int64_t k = 1; k <= steps; ++k) {
        if (k % kCancelCheckInterval == 0 && Cancelled(m_cancel)) {
            return false;
        }
        if (lyapunov) {
            product *= Slope<ScalarOps>(x, slopeScale);
            Renormalise<ScalarOps>(product, exponent);
            if (k == partialPeriod) {
                partialProduct = {product, exponent};
            }
        }
        x = MapStep<ScalarOps>(x, a);
        if (countColumns) {
            const int32_t column = ColumnOf(x, m_stripe);
            if (column >= 0 && column < m_stripe.width) {
                counts[column] += wholePeriods + (k <= partialPeriod ? 1 : 0);
            }
        }
    }
    if (lyapunov) {
        const int64_t shift = job.slopeExponent;
        double sum = LogOfProduct(m_lanes.product[lane], m_lanes.productExponent[lane] + shift * job.step);
        if (wholePeriods > 0) {
            sum += static_cast<double>(wholePeriods) * LogOfProduct(product, exponent + shift * period);
        }
        sum += LogOfProduct(partialProduct.first, partialProduct.second + shift * partialPeriod);
        LyapunovOf(job) = sum / static_cast<double>(m_iterations);
        job.lyapunovTaken = true;
    }
    // Read again at the end, so that passes of several lanes in a row stay within the bound.
    return !Cancelled(m_cancel);
}

// Starts sub-samples in idle lanes, in row order, while their rows fit the window. Returns false
// when the cancel flag, read before the first sub-sample of every row, was found set.
bool StripeRun::IssueJobs()
{
    for (int lane = 0; lane < m_kernel.lanes; ++lane) {
        while (!((m_lanes.active >> lane) & 1u) && m_nextJob < m_endJob) {
            const auto row = static_cast<int32_t>(m_nextJob / kSubSamples);
            const auto subSample = static_cast<int>(m_nextJob % kSubSamples);
            if (row >= m_nextRowToStore + kRowWindow) {
                return true;
            }
            if (subSample == 0 && Cancelled(m_cancel)) {
                return false;
            }
            ++m_nextJob;
            StartJob(lane, row, subSample);
        }
    }
    return true;
}

// A sub-sample without iterations is finished at once and leaves the lane idle.
void StripeRun::StartJob(int lane, int32_t row, int subSample)
{
    m_jobs[lane] = LaneJob{.row = row, .subSample = subSample};
    if (m_iterations <= 0) {
        LyapunovOf(m_jobs[lane]) = std::numeric_limits<double>::quiet_NaN();  // no iterations
        ++m_finishedJobs[row % kRowWindow];
        StoreFinishedRows();
        return;
    }
    const double a = SubSampleParameter(m_stripe, row, subSample);
    const auto [slopeScale, slopeExponent] = SplitPowerOfTwo(a);
    m_jobs[lane].slopeExponent = slopeExponent;
    m_lanes.x[lane] = kOrbitStart;
    m_lanes.a[lane] = a;
    m_lanes.saved[lane] = std::bit_cast<int64_t>(kOrbitStart);
    m_lanes.slopeScale[lane] = slopeScale;
    m_lanes.product[lane] = 1.0;
    m_lanes.productExponent[lane] = 0;
    m_lanes.active |= 1u << lane;
}

// An idle lane steps 0 to 0: no NaN, infinity or subnormal to slow its vector down, and its
// saved iterate 1 is never met, so that it does not keep the kernels testing every lane.
void StripeRun::ParkLane(int lane)
{
    m_lanes.x[lane] = 0.0;
    m_lanes.a[lane] = 0.0;
    m_lanes.saved[lane] = std::bit_cast<int64_t>(1.0);
    m_lanes.slopeScale[lane] = 0.0;
    m_lanes.product[lane] = 0.0;
    m_lanes.active &= ~(1u << lane);
}

// Adds the lane's counts to its row's and clears them. The spare is left to wrap around.
void StripeRun::FlushLaneCounts(int lane)
{
    LaneJob& job = m_jobs[lane];
    LaneCount* laneCounts = m_laneCounts.data() + lane * m_counting.stride;
    int64_t* rowCounts = RowCounts(job.row);
    for (int32_t column = 0; column < m_stripe.width; ++column) {
        rowCounts[column] += laneCounts[column];
        laneCounts[column] = 0;
    }
    job.flushedStep = job.step;
}

void StripeRun::FinishJob(int lane)
{
    const int32_t row = m_jobs[lane].row;
    FlushLaneCounts(lane);
    ParkLane(lane);
    ++m_finishedJobs[row % kRowWindow];
    StoreFinishedRows();
}

// Stores every complete row that has no unstored row before it; a row's cells are all written
// after all of its sub-samples have been counted.
void StripeRun::StoreFinishedRows()
{
    while (m_nextRowToStore < m_lastRow && m_finishedJobs[m_nextRowToStore % kRowWindow] == kSubSamples) {
        int64_t* counts = RowCounts(m_nextRowToStore);
        const int64_t first = int64_t{m_nextRowToStore - m_firstRow} * m_stripe.width;
        if (m_store.levels != nullptr) {
            for (int32_t column = 0; column < m_stripe.width; ++column) {
                StoreLevel(m_store.levels + first, column, LevelFromHits(counts[column]));
            }
        } else {
            for (int32_t column = 0; column < m_stripe.width; ++column) {
                m_store.hits[first + column] = static_cast<uint64_t>(counts[column]);
            }
        }
        std::fill(counts, counts + m_stripe.width, 0);
        if (m_store.lyapunov != nullptr) {
            const double* lyapunov = m_rowLyapunov.data() + (m_nextRowToStore % kRowWindow) * kSubSamples;
            std::copy(lyapunov, lyapunov + kSubSamples,
                      m_store.lyapunov + int64_t{m_nextRowToStore - m_firstRow} * kSubSamples);
        }
        m_finishedJobs[m_nextRowToStore % kRowWindow] = 0;
        ++m_nextRowToStore;
        if (m_rowsDone != nullptr) {
            // Release: whoever reads the count with acquire order sees the row's cells.
            m_rowsDone->fetch_add(1, std::memory_order_release);
        }
    }
}

}  // namespace

StripeResult ComputeStripeOnLanes(const StripeSpec& stripe, RowRange rows, RowStore store,
                                  const std::atomic<int32_t>& cancel, const LaneKernel& kernel,
                                  std::atomic<int32_t>* rowsDone)
{
    if (rows.first >= rows.last || stripe.width <= 0) {
        return Cancelled(cancel) ? StripeResult::Cancelled : StripeResult::Completed;
    }
    try {
        StripeRun run(stripe, rows, store, cancel, kernel, rowsDone);
        return run.Run();
    } catch (const std::bad_alloc&) {
        return StripeResult::OutOfMemory;
    }
}
