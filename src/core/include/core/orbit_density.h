// Orbit-density levels of one horizontal stripe of the level grid: the pure computation
// that a worker thread runs, independent of threads and of any user interface.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <utility>

// The seven values a worker receives for its stripe.
struct StripeSpec {
    int32_t* cells = nullptr;  // first cell of the stripe's row 0 inside the level grid
    int32_t width = 0;         // cells per row
    int32_t rows = 0;          // rows in the stripe
    double xMin = 0.0;         // orbit value at the left edge of column 0
    double yStart = 0.0;       // parameter of the stripe's row 0
    double xRange = 0.0;       // extent in x of the width columns
    double yRange = 0.0;       // extent in the parameter of the stripe's rows
};

inline constexpr double kOrbitStart = 0.12345;
inline constexpr int kSubSamples = 10;
// The cancel flag is also read inside a row after at most this many iterations.
inline constexpr int64_t kCancelCheckInterval = 65536;

// Iterations per sub-sample: trunc((W × 100) ÷ xr), saturating at the 32-bit range.
int32_t IterationCount(int32_t width, double xRange);

// Parameter of sub-sample j of stripe row i: a_row − ((yr ÷ R) × j) × 0.1.
double SubSampleParameter(const StripeSpec& stripe, int32_t row, int subSample);

// Column of an iterate: trunc(((x − xmin) ÷ xr) × W). Counted only when 0 <= column < W.
int32_t ColumnOf(double x, const StripeSpec& stripe);

// The iterates a stripe with W > 0, xr > 0 and a finite xmin counts, among those that pass the
// divergence test (from −10 to 10): every x from first to second, and no other; none when no
// column 0..W − 1 holds such an iterate.
std::optional<std::pair<double, double>> CountedIterates(const StripeSpec& stripe);

// The most hits a cell of a row can take: every iterate of its sub-samples, each at most the
// 32-bit range of iterations.
inline constexpr int64_t kMostHits = int64_t{kSubSamples} * 2147483647;

// Level of a column with the given number of hits in one row: trunc(hits × 0.02), at most 255.
int32_t LevelFromHits(int64_t hits);

// Rows first to last − 1 of a grid or of a stripe.
struct RowRange {
    int32_t first = 0;
    int32_t last = 0;  // one past the last row
};

enum class StripeResult { Completed, Cancelled, OutOfMemory };

// The instruction sets the computation has a kernel for. Every kernel gives the same levels.
enum class OrbitKernel { Portable, Avx2, Avx512 };
inline constexpr OrbitKernel kOrbitKernels[] = {OrbitKernel::Portable, OrbitKernel::Avx2, OrbitKernel::Avx512};

// "portable", "avx2" or "avx512".
const char* OrbitKernelName(OrbitKernel kernel);

// Whether this processor (and build) can run the kernel. Portable runs everywhere.
bool OrbitKernelSupported(OrbitKernel kernel);

// The fastest kernel this processor can run.
OrbitKernel FastestOrbitKernel();

// Computes every row of the stripe in order and stores each row's levels once the row is
// complete. A nonzero cancel flag, read before every row and inside a row at least every
// kCancelCheckInterval iterations, ends the computation; an abandoned row is not stored.
// rowsDone, when given, counts the stored rows, with release order: a thread that reads it with
// acquire order sees the cells of that many rows from the stripe's first row on. Runs on the fastest kernel this processor can run.
StripeResult ComputeStripe(const StripeSpec& stripe, const std::atomic<int32_t>& cancel,
                           std::atomic<int32_t>* rowsDone = nullptr);

// The same computation on the given kernel, or on the portable one where the processor cannot
// run it.
StripeResult ComputeStripeWith(OrbitKernel kernel, const StripeSpec& stripe, const std::atomic<int32_t>& cancel,
                               std::atomic<int32_t>* rowsDone = nullptr);

// Only the given rows of the stripe, each with the values the whole stripe gives it, so that
// computing a stripe in parts stores the same levels as computing it at once. Runs on the
// fastest kernel this processor can run.
StripeResult ComputeStripeRows(const StripeSpec& stripe, RowRange rows, const std::atomic<int32_t>& cancel,
                               std::atomic<int32_t>* rowsDone = nullptr);

// The hits of the same rows (each cell's count before it becomes a level, at most
// kSubSamples × the iterations), stored one after another from `hits` on (the first of them at
// hits[0]) instead of the levels in the stripe's own cells, which may be none. Where `lyapunov`
// is given, the Lyapunov exponent of each row's sub-samples too (core/lyapunov.h), kSubSamples
// a row from lyapunov[0] on. Runs on the given kernel, or the portable one where the processor
// cannot run it.
StripeResult ComputeStripeHitsInto(const StripeSpec& stripe, RowRange rows, uint64_t* hits,
                                   const std::atomic<int32_t>& cancel, double* lyapunov = nullptr,
                                   OrbitKernel kernel = FastestOrbitKernel());
