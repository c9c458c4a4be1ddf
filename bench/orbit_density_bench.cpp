// Speed of the orbit-density computation on one thread: the literal algorithm against each
// kernel this processor can run, on the same stripes. After the runs it prints, per region, how
// many times faster each kernel is than the literal algorithm (the best run of each).
#include "core/orbit_density.h"
#include "best_time_reporter.h"
#include "literal_orbit_density.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Region {
    const char* name;
    int32_t width, rows;
    double xMin, yStart, xRange, yRange;
};

// The default region is sampled over its whole parameter range: its cost lies in the chaotic
// rows above a = 3.57, not in a stripe of its lower rows.
constexpr Region kRegions[] = {
    {"default", 660, 66, 0.0, 3.0, 1.0, 1.0},
    {"chaotic_zoom", 660, 40, 0.4, 3.8, 0.2, 0.1},
    {"above_4", 660, 40, 0.0, 3.95, 1.0, 0.25},
};

constexpr const char* kLiteral = "literal";

std::string BenchmarkName(const Region& region, const char* method)
{
    return std::string("OrbitDensity/") + region.name + "/" + method;
}

void Literal(benchmark::State& state, const Region& r)
{
    std::vector<int32_t> cells(static_cast<size_t>(r.width) * r.rows);
    for (auto _ : state) {
        literal::ComputeStripe(cells.data(), r.width, r.rows, r.xMin, r.yStart, r.xRange, r.yRange);
        benchmark::DoNotOptimize(cells.data());
    }
}

void Fast(benchmark::State& state, const Region& r, OrbitKernel kernel)
{
    std::vector<int32_t> cells(static_cast<size_t>(r.width) * r.rows);
    const StripeSpec stripe{cells.data(), r.width, r.rows, r.xMin, r.yStart, r.xRange, r.yRange};
    const std::atomic<int32_t> cancel{0};
    for (auto _ : state) {
        ComputeStripeWith(kernel, stripe, cancel);
        benchmark::DoNotOptimize(cells.data());
    }
}

void PrintRatios(const BestTimeReporter& reporter, const std::vector<OrbitKernel>& kernels)
{
    std::printf("\nliteral / kernel, one thread (CPU time, fastest run or mean of each):\n");
    for (const Region& region : kRegions) {
        const auto literal = reporter.Best(BenchmarkName(region, kLiteral));
        for (OrbitKernel kernel : kernels) {
            const auto fast = reporter.Best(BenchmarkName(region, OrbitKernelName(kernel)));
            if (literal && fast) {
                std::printf("  %-14s %-9s %7.1fx\n", region.name, OrbitKernelName(kernel), *literal / *fast);
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
    for (const Region& region : kRegions) {
        benchmark::RegisterBenchmark(BenchmarkName(region, kLiteral).c_str(), Literal, region)
            ->Unit(benchmark::kMillisecond);
        for (OrbitKernel kernel : kernels) {
            benchmark::RegisterBenchmark(BenchmarkName(region, OrbitKernelName(kernel)).c_str(), Fast, region, kernel)
                ->Unit(benchmark::kMillisecond);
        }
    }
    std::printf("fastest kernel on this processor: %s\n", OrbitKernelName(FastestOrbitKernel()));
    BestTimeReporter reporter(BestTimeReporter::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter, kernels);
    benchmark::Shutdown();
    return 0;
}
