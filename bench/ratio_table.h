#pragma once
// Collects each benchmark's real time (the median where there are
// repetitions) and prints comparison rows in the one table format that
// scripts/bench.sh gathers from every benchmark program:
//   ROW | operation | files | time ms | bare ms | ratio | target |
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : benchmark::ConsoleReporter(OO_None) {}

    std::map<std::string, double> realTime;
    std::map<std::string, double> cpuTime;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median) {
                realTime[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuTime[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Times are in the benchmarks' unit, milliseconds.
    void printRow(const char* operation, int files, const char* own, const char* bare,
                  double target) const
    {
        const auto o = realTime.find(own);
        const auto b = realTime.find(bare);
        if (o == realTime.end() || b == realTime.end() || b->second <= 0) return;
        const double cpu = cpuTime.at(bare) > 0 ? cpuTime.at(own) / cpuTime.at(bare) : 0;
        std::printf("ROW | %s | %d | %.1f | %.1f | %.2f (CPU %.2f) | <= %.2f |\n", operation, files,
                    o->second, b->second, o->second / b->second, cpu, target);
    }
};
