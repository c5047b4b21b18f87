#pragma once
// Google Benchmark's console table, keeping the median of every repeated benchmark by name so that a
// benchmark program can print its own summary (figures side by side, ratios) after the table.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench_support {

class MedianReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> medians; // by benchmark name, in the benchmark's time unit

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[run.run_name.function_name + run.run_name.args] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace bench_support
