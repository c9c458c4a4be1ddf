// How well threads share the rows of a grid: the default region on a 1320 × 1320 grid split into
// two stripes (the upper one holds nearly all the work), computed by one thread and by two that
// share the rows out and hand them out from the top down, and by the window's two workers, one
// a stripe. After the runs it prints the two-thread times as shares of the one-thread time by
// the wall clock; 0.5 is a perfect split over two processors. Unless told otherwise it runs each nine times, interleaved, and
// compares the medians, which a busy machine disturbs least.
#include "core/stripe_pool.h"
#include "best_time_reporter.h"
#include "core/calc_layout.h"
#include "core/calc_workers.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr Size kGrid{1320, 1320};
constexpr int32_t kStripes = 2;

constexpr const char* kWindowWorkers = "WindowWorkers/default_1320/stripes:2";

std::string BenchmarkName(int32_t threads)
{
    return "StripePool/default_1320/stripes:2/threads:" + std::to_string(threads);
}

void ComputeWithWindowWorkers(benchmark::State& state)
{
    std::vector<int32_t> levels(static_cast<size_t>(kGrid.width) * kGrid.height);
    for (auto _ : state) {
        WorkerList workers = StartWorkers(levels.data(), kGrid, kDefaultRegion, kStripes);
        while (CountRunning(workers) > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        StopWorkers(workers);
        benchmark::DoNotOptimize(levels.data());
    }
}

void Compute(benchmark::State& state, int32_t threads)
{
    for (auto _ : state) {
        std::vector<StripeSpec> stripes;
        for (int32_t i = 0; i < kStripes; ++i) {
            stripes.push_back(StripeFor(nullptr, kGrid, kDefaultRegion, StripeBounds(i, kStripes, kGrid.height)));
        }
        const auto pool = StripePool::Start(std::move(stripes), threads);
        for (int32_t row = 0; row < kGrid.height;) {
            const Result<const uint64_t*> hits = (*pool)->NextRow(std::chrono::milliseconds(1));
            row += *hits != nullptr ? 1 : 0;
            benchmark::DoNotOptimize(*hits);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=9";
    char interleaved[] = "--benchmark_enable_random_interleaving=true";
    char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    if (argc == 1) {
        args.insert(args.end(), {repetitions, interleaved, aggregatesOnly});
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    for (int32_t threads : {1, 2}) {
        benchmark::RegisterBenchmark(BenchmarkName(threads).c_str(), Compute, threads)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark(kWindowWorkers, ComputeWithWindowWorkers)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    BestTimeReporter reporter(BestTimeReporter::Clock::Real, "median");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Benchmarks timed by the wall clock carry that in their names.
    const auto one = reporter.Best(BenchmarkName(1) + "/real_time");
    const auto two = reporter.Best(BenchmarkName(2) + "/real_time");
    const auto window = reporter.Best(std::string(kWindowWorkers) + "/real_time");
    if (one && two && window) {
        std::printf("\nshare of the one-thread time (%u processors):\n", std::thread::hardware_concurrency());
        std::printf("  two threads sharing the rows   %.2f\n", *two / *one);
        std::printf("  two workers, one a stripe      %.2f\n", *window / *one);
    }
    benchmark::Shutdown();
    return 0;
}
