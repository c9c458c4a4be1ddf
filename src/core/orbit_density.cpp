#include "core/orbit_density.h"

#include "core/truncate.h"
#include "platform/cpu_features.h"

#include "orbit_lanes.h"
#include "stripe_lanes.h"

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

StripeResult ComputeStripe(const StripeSpec& stripe, const std::atomic<int32_t>& cancel,
                           std::atomic<int32_t>* rowsDone)
{
    return ComputeStripeWith(FastestOrbitKernel(), stripe, cancel, rowsDone);
}

StripeResult ComputeStripeWith(OrbitKernel kernel, const StripeSpec& stripe,
                               const std::atomic<int32_t>& cancel, std::atomic<int32_t>* rowsDone)
{
    return ComputeStripeOnLanes(stripe, {0, stripe.rows}, stripe.cells, cancel, LaneKernelFor(kernel), rowsDone);
}

StripeResult ComputeStripeRows(const StripeSpec& stripe, RowRange rows, const std::atomic<int32_t>& cancel,
                               std::atomic<int32_t>* rowsDone)
{
    int32_t* cells = rows.first < rows.last ? stripe.cells + int64_t{rows.first} * stripe.width : stripe.cells;
    return ComputeStripeOnLanes(stripe, rows, cells, cancel, LaneKernelFor(FastestOrbitKernel()), rowsDone);
}

StripeResult ComputeStripeRowsInto(const StripeSpec& stripe, RowRange rows, int32_t* cells,
                                   const std::atomic<int32_t>& cancel)
{
    return ComputeStripeOnLanes(stripe, rows, cells, cancel, LaneKernelFor(FastestOrbitKernel()), nullptr);
}
