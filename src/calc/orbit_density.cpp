#include "calc/orbit_density.h"

#include "calc/truncate.h"

#include <new>
#include <vector>

int32_t IterationCount(int32_t width, double xRange)
{
    const int64_t scaled = static_cast<int64_t>(width) * 100;
    return TruncToInt32(static_cast<double>(scaled) / xRange);
}

double SubSampleParameter(const StripeSpec& stripe, int32_t row, int subSample)
{
    const double rowParameter =
        (static_cast<double>(row) / stripe.rows) * stripe.yRange + stripe.yStart;
    return rowParameter - ((stripe.yRange / stripe.rows) * subSample) * 0.1;
}

int32_t ColumnOf(double x, const StripeSpec& stripe)
{
    return TruncToInt32(((x - stripe.xMin) / stripe.xRange) * static_cast<double>(stripe.width));
}

int32_t LevelFromHits(int64_t hits)
{
    const int32_t level = TruncToInt32(static_cast<double>(hits) * 0.02);
    return level > 255 ? 255 : level;
}

namespace {

bool Cancelled(const std::atomic<int32_t>& cancel)
{
    return cancel.load(std::memory_order_relaxed) != 0;
}

// Adds the hits of one sub-sample's orbit to the row histogram. Returns false when the
// cancel flag was found set, in which case the row must be abandoned.
bool CountOrbit(const StripeSpec& stripe, double a, int32_t iterations, int64_t* histogram,
                int64_t& sinceCheck, const std::atomic<int32_t>& cancel)
{
    double x = kOrbitStart;
    for (int32_t n = 0; n < iterations; ++n) {
        if (++sinceCheck >= kCancelCheckInterval) {
            sinceCheck = 0;
            if (Cancelled(cancel)) {
                return false;
            }
        }
        x = (x * (1.0 - x)) * a;
        if (x < -10.0 || x > 10.0 || x != x) {
            break;
        }
        const int32_t column = ColumnOf(x, stripe);
        if (column >= 0 && column < stripe.width) {
            ++histogram[column];
        }
    }
    return true;
}

}  // namespace

StripeResult ComputeStripe(const StripeSpec& stripe, const std::atomic<int32_t>& cancel,
                           std::atomic<int32_t>* rowsDone)
{
    if (stripe.rows <= 0 || stripe.width <= 0) {
        return Cancelled(cancel) ? StripeResult::Cancelled : StripeResult::Completed;
    }
    std::vector<int64_t> histogram;
    try {
        histogram.resize(static_cast<size_t>(stripe.width));
    } catch (const std::bad_alloc&) {
        return StripeResult::OutOfMemory;
    }
    const int32_t iterations = IterationCount(stripe.width, stripe.xRange);
    int64_t sinceCheck = 0;
    for (int32_t row = 0; row < stripe.rows; ++row) {
        if (Cancelled(cancel)) {
            return StripeResult::Cancelled;
        }
        std::fill(histogram.begin(), histogram.end(), 0);
        for (int j = 0; j < kSubSamples; ++j) {
            const double a = SubSampleParameter(stripe, row, j);
            if (!CountOrbit(stripe, a, iterations, histogram.data(), sinceCheck, cancel)) {
                return StripeResult::Cancelled;
            }
        }
        int32_t* rowCells = stripe.cells + static_cast<int64_t>(row) * stripe.width;
        for (int32_t k = 0; k < stripe.width; ++k) {
            std::atomic_ref<int32_t>(rowCells[k])
                .store(LevelFromHits(histogram[k]), std::memory_order_relaxed);
        }
        if (rowsDone != nullptr) {
            rowsDone->fetch_add(1, std::memory_order_relaxed);
        }
    }
    return StripeResult::Completed;
}
