// What the benchmark programs share around Google Benchmark: defaults for the
// command line, timed runs of one iteration, the medians for the summary and
// the summary's PASS/FAIL lines.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;
inline double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

inline double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// benchmark::Initialize with flags that the command line may still override.
inline void Initialize(int argc, char** argv, std::vector<std::string> defaults) {
    static std::vector<std::string> kept;  // the flags' text outlives the parse
    kept = std::move(defaults);
    std::vector<char*> args(argv, argv + argc);
    for (std::size_t i = 0; i < kept.size(); ++i) args.insert(args.begin() + 1 + static_cast<long>(i), kept[i].data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
}

// One iteration a repetition, in milliseconds, only the aggregates shown.
template <typename Function>
benchmark::internal::Benchmark* Once(const std::string& name, Function function) {
    return benchmark::RegisterBenchmark(name.c_str(), function)
        ->Iterations(1)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond);
}

// Keeps the median of every benchmark in seconds (wall clock and CPU) and of
// its counters. A benchmark run once has no median: its one run stands in.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    MedianReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                failed = true;
                continue;
            }
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median && run.run_type != Run::RT_Iteration) continue;
            auto keep = [&](std::map<std::string, double>& figures, const std::string& name, double value) {
                if (median) figures[name] = value;
                else figures.emplace(name, value);
            };
            const std::string& name = run.run_name.function_name;
            const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
            keep(medians, name, run.GetAdjustedRealTime() / unit);
            keep(cpuMedians, name, run.GetAdjustedCPUTime() / unit);
            for (const auto& [counter, value] : run.counters) keep(medians, name + "/" + counter, value);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Median(const std::string& name) const { return Find(medians, name); }
    double CpuMedian(const std::string& name) const { return Find(cpuMedians, name); }

    bool failed = false;

private:
    static double Find(const std::map<std::string, double>& figures, const std::string& name) {
        auto it = figures.find(name);
        return it == figures.end() ? -1.0 : it->second;
    }
    std::map<std::string, double> medians, cpuMedians;
};

// The summary: figures against their goals, each with PASS or FAIL, and
// figures shown for information.
struct Summary {
    bool all = true;
    void Target(const char* what, double value, const char* unit, const char* goal, bool pass) {
        all = all && pass;
        std::printf("  %-44s %9.4f %-3s %-22s %s\n", what, value, unit, goal, pass ? "PASS" : "FAIL");
    }
    static void Info(const char* what, double value, const char* unit) {
        std::printf("  %-44s %9.4f %s\n", what, value, unit);
    }
    // The lowest and highest of a stage's runs, for the spread behind a median.
    static void Spread(const char* what, std::vector<double> values, const char* unit) {
        if (values.empty()) return;
        std::sort(values.begin(), values.end());
        std::printf("  %-44s %9.4f .. %.4f %s (%zu runs)\n", what, values.front(), values.back(), unit,
                    values.size());
    }
};

}  // namespace bench
