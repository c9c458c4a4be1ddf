// Google Benchmark's console output as usual, keeping the fastest time of every benchmark (or
// one aggregate of its repetitions, the mean or the median, where only the aggregates are
// reported) for the ratios a benchmark program prints after its runs.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class BestTimeReporter : public benchmark::ConsoleReporter {
public:
    enum class Clock { Cpu, Real };

    explicit BestTimeReporter(Clock clock, std::string aggregate = "mean")
        : m_clock(clock), m_aggregate(std::move(aggregate))
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration;
            if ((single || run.aggregate_name == m_aggregate) && !run.error_occurred) {
                const std::string name = run.run_name.str();
                const double time = m_clock == Clock::Cpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
                const auto found = m_best.find(name);
                m_best[name] = found == m_best.end() ? time : std::min(found->second, time);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The fastest time of the benchmark with this name, in its own unit; nothing before it ran.
    std::optional<double> Best(const std::string& name) const
    {
        const auto found = m_best.find(name);
        return found == m_best.end() ? std::nullopt : std::optional<double>(found->second);
    }

private:
    Clock m_clock;
    std::string m_aggregate;
    std::map<std::string, double> m_best;
};
