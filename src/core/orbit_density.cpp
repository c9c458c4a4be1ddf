#include "core/orbit_density.h"

#include "core/truncate.h"
#include "platform/cpu_features.h"

#include "orbit_lanes.h"
#include "stripe_lanes.h"

#include <bit>
#include <limits>

int32_t IterationCount(int32_t width, double xRange)
{
    const int64_t scaled = static_cast<int64_t>(width) * 100;
    return TruncToInt32(static_cast<double>(scaled) / xRange);
}

double SubSampleParameter(const StripeSpec& stripe, int32_t row, int subSample)
{
    const double rowParameter = (static_cast<double>(row) / stripe.rows) * stripe.yRange + stripe.yStart;
    return rowParameter - ((stripe.yRange / stripe.rows) * subSample) * 0.1;
}

int32_t ColumnOf(double x, const StripeSpec& stripe)
{
    return TruncToInt32(((x - stripe.xMin) / stripe.xRange) * static_cast<double>(stripe.width));
}

namespace {

// Doubles as integers in the same order; -0.0 and 0.0 both give 0.
int64_t OrderKey(double v)
{
    const auto bits = std::bit_cast<int64_t>(v);
    return bits >= 0 ? bits : -(bits & std::numeric_limits<int64_t>::max());
}

double FromOrderKey(int64_t key)
{
    return key >= 0 ? std::bit_cast<double>(key) : std::bit_cast<double>(-key | std::numeric_limits<int64_t>::min());
}

// The first key from `low` to `high` at which `holds` holds, where it holds from some key on;
// none where it holds nowhere there.
template <class Predicate>
std::optional<int64_t> FirstKeyWhere(int64_t low, int64_t high, const Predicate& holds)
{
    if (!holds(high)) {
        return std::nullopt;
    }
    while (low < high) {
        // The keys of ±10 lie further apart than an int64_t reaches; their distance does not.
        const int64_t middle = low +
                               static_cast<int64_t>((static_cast<uint64_t>(high) - static_cast<uint64_t>(low)) / 2);
        if (holds(middle)) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low;
}

}  // namespace

// With xr > 0 and W > 0, x − xmin, its quotient by xr and the product with W, each rounded to
// nearest, never decrease as x grows, and neither does the truncated column. So the iterates whose
// column lies in 0..W − 1 are one interval of doubles, whose ends the column rule itself finds by
// bisection.
std::optional<std::pair<double, double>> CountedIterates(const StripeSpec& stripe)
{
    const int64_t lowest = OrderKey(-kEscapeBound);
    const int64_t highest = OrderKey(kEscapeBound);
    const auto column = [&stripe](int64_t key) { return ColumnOf(FromOrderKey(key), stripe); };
    const std::optional<int64_t> first = FirstKeyWhere(lowest, highest, [&](int64_t key) { return column(key) >= 0; });
    const std::optional<int64_t> beyond = FirstKeyWhere(lowest, highest,
                                                        [&](int64_t key) { return column(key) >= stripe.width; });
    const int64_t last = beyond ? *beyond - 1 : highest;
    if (!first || *first > last) {
        return std::nullopt;
    }
    return std::pair(FromOrderKey(*first), FromOrderKey(last));
}

int32_t LevelFromHits(int64_t hits)
{
    const int32_t level = TruncToInt32(static_cast<double>(hits) * 0.02);
    return level > 255 ? 255 : level;
}

const char* OrbitKernelName(OrbitKernel kernel)
{
    switch (kernel) {
    case OrbitKernel::Avx2:
        return "avx2";
    case OrbitKernel::Avx512:
        return "avx512";
    default:
        return "portable";
    }
}

bool OrbitKernelSupported(OrbitKernel kernel)
{
    switch (kernel) {
    case OrbitKernel::Portable:
        return true;
#if defined(CORVALIS_X86_KERNELS)
    case OrbitKernel::Avx2:
        return CpuHasAvx2();
    case OrbitKernel::Avx512:
        return CpuHasAvx512();
#endif
    default:
        return false;
    }
}

OrbitKernel FastestOrbitKernel()
{
    for (OrbitKernel kernel : {OrbitKernel::Avx512, OrbitKernel::Avx2}) {
        if (OrbitKernelSupported(kernel)) {
            return kernel;
        }
    }
    return OrbitKernel::Portable;
}

namespace {

const LaneKernel& LaneKernelFor(OrbitKernel kernel)
{
    if (!OrbitKernelSupported(kernel)) {
        return kPortableLaneKernel;
    }
    switch (kernel) {
#if defined(CORVALIS_X86_KERNELS)
    case OrbitKernel::Avx2:
        return kAvx2LaneKernel;
    case OrbitKernel::Avx512:
        return kAvx512LaneKernel;
#endif
    default:
        return kPortableLaneKernel;
    }
}

}  // namespace

StripeResult ComputeStripe(const StripeSpec& stripe, const std::atomic<int32_t>& cancel, std::atomic<int32_t>* rowsDone)
{
    return ComputeStripeWith(FastestOrbitKernel(), stripe, cancel, rowsDone);
}

StripeResult ComputeStripeWith(OrbitKernel kernel, const StripeSpec& stripe, const std::atomic<int32_t>& cancel,
                               std::atomic<int32_t>* rowsDone)
{
    return ComputeStripeOnLanes(stripe, {0, stripe.rows}, {.levels = stripe.cells}, cancel, LaneKernelFor(kernel),
                                rowsDone);
}

StripeResult ComputeStripeRows(const StripeSpec& stripe, RowRange rows, const std::atomic<int32_t>& cancel,
                               std::atomic<int32_t>* rowsDone)
{
    int32_t* cells = rows.first < rows.last ? stripe.cells + int64_t{rows.first} * stripe.width : stripe.cells;
    return ComputeStripeOnLanes(stripe, rows, {.levels = cells}, cancel, LaneKernelFor(FastestOrbitKernel()), rowsDone);
}

StripeResult ComputeStripeHitsInto(const StripeSpec& stripe, RowRange rows, uint64_t* hits,
                                   const std::atomic<int32_t>& cancel, double* lyapunov, OrbitKernel kernel)
{
    return ComputeStripeOnLanes(stripe, rows, {.hits = hits, .lyapunov = lyapunov}, cancel, LaneKernelFor(kernel),
                                nullptr);
}
