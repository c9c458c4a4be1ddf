// Cost of ExactLog against the C library's log, over 4,096 values spread from 1 to 2^30 as the
// counts of a picture's cells are, and the ratio of the two, printed after the runs.
#include "core/exact_log.h"
#include "best_time_reporter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

std::vector<double> MakeValues()
{
    std::vector<double> values(4096);
    uint32_t state = 12345;
    for (double& value : values) {
        state = state * 1664525u + 1013904223u;
        value = 1.0 + (state >> 2);
    }
    return values;
}

template <double (*Log)(double)>
void Sum(benchmark::State& state)
{
    const std::vector<double> values = MakeValues();
    for (auto _ : state) {
        double sum = 0.0;
        for (double value : values) {
            sum += Log(value);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}

double LibraryLog(double x)
{
    return std::log(x);
}

}  // namespace

BENCHMARK(Sum<ExactLog>)->Name("ExactLog");
BENCHMARK(Sum<LibraryLog>)->Name("std::log");

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    BestTimeReporter reporter(BestTimeReporter::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto exact = reporter.Best("ExactLog");
    const auto library = reporter.Best("std::log");
    if (exact && library) {
        std::printf("\nExactLog takes %.2f times the time of std::log\n", *exact / *library);
    }
    benchmark::Shutdown();
    return 0;
}
