#pragma once

// Google Benchmark's console report, keeping each run's time so a benchmark can print its ratios
// against the baseline it ran in the same process.

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace orvane::bench {

class TimingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }

protected:
    // The run's real time in its benchmark's unit, or 0 when it did not run.
    double time(const std::string& name) const {
        const auto it = times_.find(name);
        return it == times_.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> times_;
};

} // namespace orvane::bench
