#pragma once

// Google Benchmark's console report, keeping each benchmark's fastest run (the one least
// disturbed by whatever else the machine did) so that the program can print its ratios against
// a baseline it ran in the same process, once the table is done.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>

namespace orvane::bench {

class TimingReporter : public benchmark::ConsoleReporter {
public:
    using Summary = std::function<void(const TimingReporter&)>;

    explicit TimingReporter(Summary summary) : summary_(std::move(summary)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            const std::string& args = run.run_name.args;
            const std::string name = run.run_name.function_name + (args.empty() ? "" : "/" + args);
            keepFastest(real_[name], run.GetAdjustedRealTime());
            keepFastest(cpu_[name], run.GetAdjustedCPUTime());
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        if (summary_)
            summary_(*this);
    }

    // The fastest real and processor time of a benchmark ("BM_Name" or "BM_Name/arg") in its
    // unit, or 0 when it did not run.
    double time(const std::string& name) const { return find(real_, name); }
    double cpuTime(const std::string& name) const { return find(cpu_, name); }

private:
    static void keepFastest(double& kept, double time) {
        kept = kept == 0 ? time : std::min(kept, time);
    }
    static double find(const std::map<std::string, double>& times, const std::string& name) {
        const auto it = times.find(name);
        return it == times.end() ? 0.0 : it->second;
    }

    Summary summary_;
    std::map<std::string, double> real_, cpu_;
};

// What every benchmark's main() does: run the benchmarks named on the command line, report them,
// then print the summary.
inline int runBenchmarks(int argc, char** argv, TimingReporter::Summary summary) {
    benchmark::Initialize(&argc, argv);
    TimingReporter reporter(std::move(summary));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace orvane::bench
