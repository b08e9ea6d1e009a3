// How many WBGT estimates the Liljegren model gives per second, beside the static page's one-line
// formula in the same run. The model iterates three heat balances where the formula takes one
// exponential, so the figure that matters is whether the model is fast enough to recompute on
// every keystroke, not the ratio itself; absolute rates vary by machine.

#include "bench/timing_reporter.h"
#include "core/liljegren.h"
#include "core/wbgt_table.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <variant>
#include <vector>

using namespace orvane;

namespace {

// Weather spread over the day, the year and the sky, so the step counts of the iterations are
// typical ones rather than the best case of a single input repeated.
const std::vector<WbgtInput>& weather() {
    static const std::vector<WbgtInput> cases = [] {
        std::vector<WbgtInput> all;
        for (int i = 0; i < 512; ++i) {
            WbgtInput in;
            in.year = 2024;
            in.month = 1 + i % 12;
            in.day = 1 + i % 28;
            in.hour = i * 7 % 24;
            in.latitude = -40 + i * 13 % 100;
            in.longitude = -180 + i * 37 % 360;
            in.airC = 10 + i * 11 % 36;
            in.relativeHumidity = 10 + i * 17 % 81;
            in.windMs = 0.5 + i % 8;
            in.sky = SkyCondition(i % 3);
            if (i % 4 == 0)
                in.solarWm2 = i * 29 % 1000;
            in.shade = i % 5 == 0;
            all.push_back(in);
        }
        return all;
    }();
    return cases;
}

void BM_LiljegrenModel(benchmark::State& state) {
    const auto& cases = weather();
    for (const WbgtInput& in : cases)
        if (std::holds_alternative<WbgtError>(EstimateWbgt(in)))
            return state.SkipWithError("a benchmark input has no estimate");
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(EstimateWbgt(cases[i++ % cases.size()]));
    state.counters["estimates"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_PageFormula(benchmark::State& state) {
    const auto& cases = weather();
    std::size_t i = 0;
    for (auto _ : state) {
        const WbgtInput& in = cases[i++ % cases.size()];
        benchmark::DoNotOptimize(ApproximateWbgtC(in.airC, in.relativeHumidity));
    }
    state.counters["estimates"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_LiljegrenModel);
BENCHMARK(BM_PageFormula);

void summary(const bench::TimingReporter& r) {
    const double model = r.time("BM_LiljegrenModel");
    const double formula = r.time("BM_PageFormula");
    if (model <= 0 || formula <= 0)
        return;
    std::printf("Liljegren model %.0f estimates/s, page formula %.0f estimates/s: the model takes "
                "%.0f times as long\n",
                1e9 / model, 1e9 / formula, model / formula);
}

} // namespace

int main(int argc, char** argv) {
    return bench::runBenchmarks(argc, argv, summary);
}
