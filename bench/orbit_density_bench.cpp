// Speed of the orbit-density computation on one thread: the literal algorithm against each
// kernel this processor can run, on the same stripes, and the bare map in 16 and 32 lanes as the
// floor; and each kernel's hits with and without the Lyapunov exponents. After the runs it
// prints, per region, the time per iterate of each (the best run), how many times faster each
// kernel is than the literal algorithm, and what the exponents cost.
#include "core/orbit_density.h"
#include "best_time_reporter.h"
#include "core/calc_layout.h"
#include "literal_orbit_density.h"
#if defined(CORVALIS_BARE_MAP_AVX512)
#include "bare_map.h"
#endif

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A whole grid over a region, computed as one stripe, as corvalis-render --stripes 1 does.
struct Region {
    const char* name;
    Size grid;
    CalcRegion area;

    StripeSpec Stripe(int32_t* cells) const { return StripeFor(cells, grid, area, {0, grid.height}); }
    // Iterations the written algorithm makes, whether or not orbits escape or repeat.
    double Iterates() const
    {
        return double{kSubSamples} * grid.height * std::max(IterationCount(grid.width, Stripe(nullptr).xRange), 0);
    }
};

// The default region is sampled over its whole parameter range: its cost lies in the chaotic
// rows above a = 3.57, not in a stripe of its lower rows. The deep zoom counts almost none of its
// iterates, the chaotic band almost all.
constexpr Region kRegions[] = {
    {"default", {660, 66}, kDefaultRegion},
    {"chaotic_zoom", {660, 40}, {0.4, 3.8, 0.6, 3.9}},
    {"above_4", {660, 40}, {0.0, 3.95, 1.0, 4.2}},
    {"deep_zoom", {10, 16}, {0.5, 3.9, 0.5001, 3.9002}},
    {"chaotic_band", {660, 400}, {0.0, 3.99, 1.0, 4.0}},
};

constexpr const char* kLiteral = "literal";
constexpr int64_t kBareMapSteps = int64_t{1} << 26;

std::string BenchmarkName(const Region& region, const char* method)
{
    return std::string("OrbitDensity/") + region.name + "/" + method;
}

std::string BareMapName(int lanes)
{
    return "BareMap/" + std::to_string(lanes) + "_lanes";
}

void Literal(benchmark::State& state, const Region& r)
{
    std::vector<int32_t> cells(static_cast<size_t>(r.grid.width) * r.grid.height);
    const StripeSpec s = r.Stripe(cells.data());
    for (auto _ : state) {
        literal::ComputeStripe(cells.data(), s.width, s.rows, s.xMin, s.yStart, s.xRange, s.yRange);
        benchmark::DoNotOptimize(cells.data());
    }
}

void Fast(benchmark::State& state, const Region& r, OrbitKernel kernel)
{
    std::vector<int32_t> cells(static_cast<size_t>(r.grid.width) * r.grid.height);
    const StripeSpec stripe = r.Stripe(cells.data());
    const std::atomic<int32_t> cancel{0};
    for (auto _ : state) {
        ComputeStripeWith(kernel, stripe, cancel);
        benchmark::DoNotOptimize(cells.data());
    }
}

// The hits of the stripe as the stripe pool computes them, with the exponents or without.
void Hits(benchmark::State& state, const Region& r, OrbitKernel kernel, bool lyapunov)
{
    std::vector<uint64_t> hits(static_cast<size_t>(r.grid.width) * r.grid.height);
    std::vector<double> exponents(static_cast<size_t>(r.grid.height) * kSubSamples);
    const StripeSpec stripe = r.Stripe(nullptr);
    const std::atomic<int32_t> cancel{0};
    for (auto _ : state) {
        ComputeStripeHitsInto(stripe, {0, stripe.rows}, hits.data(), cancel, lyapunov ? exponents.data() : nullptr,
                              kernel);
        benchmark::DoNotOptimize(hits.data());
    }
}

std::string HitsName(const Region& region, OrbitKernel kernel, bool lyapunov)
{
    return BenchmarkName(region, OrbitKernelName(kernel)) + (lyapunov ? "_hits_lyapunov" : "_hits");
}

#if defined(CORVALIS_BARE_MAP_AVX512)
void BareMap(benchmark::State& state, int vectors)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(BareMapAvx512(vectors, kBareMapSteps));
    }
}
#endif

void PrintSummary(const BestTimeReporter& reporter, const std::vector<OrbitKernel>& kernels)
{
    std::printf("\nnanoseconds per iterate, one thread (CPU time, fastest run), and literal / kernel:\n");
    for (int lanes : {16, 32}) {
        if (const auto time = reporter.Best(BareMapName(lanes))) {
            std::printf("  %-14s %-9s %7.3f ns\n", "bare map", (std::to_string(lanes) + " lanes").c_str(),
                        *time * 1e6 / (static_cast<double>(kBareMapSteps) * lanes));
        }
    }
    for (const Region& region : kRegions) {
        const double iterates = region.Iterates();
        const auto literal = reporter.Best(BenchmarkName(region, kLiteral));
        if (literal) {
            std::printf("  %-14s %-9s %7.3f ns\n", region.name, kLiteral, *literal * 1e6 / iterates);
        }
        for (OrbitKernel kernel : kernels) {
            const auto fast = reporter.Best(BenchmarkName(region, OrbitKernelName(kernel)));
            if (fast) {
                std::printf("  %-14s %-9s %7.3f ns", region.name, OrbitKernelName(kernel), *fast * 1e6 / iterates);
                if (literal) {
                    std::printf(" %7.1fx", *literal / *fast);
                }
                std::printf("\n");
            }
        }
    }
    std::printf("\nhits with the Lyapunov exponents / hits alone, one thread (fastest runs):\n");
    for (const Region& region : kRegions) {
        for (OrbitKernel kernel : kernels) {
            const auto alone = reporter.Best(HitsName(region, kernel, false));
            const auto with = reporter.Best(HitsName(region, kernel, true));
            if (alone && with) {
                std::printf("  %-14s %-9s %5.2f\n", region.name, OrbitKernelName(kernel), *with / *alone);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::vector<OrbitKernel> kernels;
    for (OrbitKernel kernel : kOrbitKernels) {
        if (OrbitKernelSupported(kernel)) {
            kernels.push_back(kernel);
        }
    }
#if defined(CORVALIS_BARE_MAP_AVX512)
    if (OrbitKernelSupported(OrbitKernel::Avx512)) {
        for (int vectors : {2, 4}) {
            benchmark::RegisterBenchmark(BareMapName(8 * vectors).c_str(), BareMap, vectors)
                ->Unit(benchmark::kMillisecond);
        }
    }
#endif
    for (const Region& region : kRegions) {
        benchmark::RegisterBenchmark(BenchmarkName(region, kLiteral).c_str(), Literal, region)
            ->Unit(benchmark::kMillisecond);
        for (OrbitKernel kernel : kernels) {
            benchmark::RegisterBenchmark(BenchmarkName(region, OrbitKernelName(kernel)).c_str(), Fast, region, kernel)
                ->Unit(benchmark::kMillisecond);
            for (const bool lyapunov : {false, true}) {
                benchmark::RegisterBenchmark(HitsName(region, kernel, lyapunov).c_str(), Hits, region, kernel, lyapunov)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    std::printf("fastest kernel on this processor: %s\n", OrbitKernelName(FastestOrbitKernel()));
    BestTimeReporter reporter(BestTimeReporter::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter, kernels);
    benchmark::Shutdown();
    return 0;
}
