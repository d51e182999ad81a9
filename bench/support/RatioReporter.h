#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

// Prints every benchmark as usual, then each one's time as a ratio to each baseline
// measured in the same run, which is what the figures in the README quote.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::string baseline) : m_baselines{std::move(baseline)} {}
    explicit RatioReporter(std::vector<std::string> baselines) : m_baselines(std::move(baselines)) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions the median stands for the benchmark; otherwise the single run.
        for (const Run& run : runs)
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name == "median")
                m_ms[{run.run_name.function_name, run.run_name.args}] = run.GetAdjustedRealTime() * msPer(run.time_unit);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const std::string& baseline : m_baselines)
            printRatiosTo(baseline);
    }

private:
    void printRatiosTo(const std::string& baseline) const
    {
        std::printf("\nratios to %s with the same arguments:\n", baseline.c_str());
        for (const auto& [key, ms] : m_ms) {
            const auto base = m_ms.find({baseline, key.second});
            if (base == m_ms.end() || base->second <= 0)
                continue;
            const std::string name = key.first + (key.second.empty() ? "" : "/" + key.second);
            std::printf("  %-40s %8.2f ms  %6.2fx\n", name.c_str(), ms, ms / base->second);
        }
    }

    static double msPer(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kNanosecond: return 1e-6;
        case benchmark::kMicrosecond: return 1e-3;
        case benchmark::kMillisecond: return 1.0;
        case benchmark::kSecond: return 1e3;
        }
        return 1.0;
    }

    std::vector<std::string> m_baselines;
    std::map<std::pair<std::string, std::string>, double> m_ms; // (name, arguments)
};

} // namespace bench
