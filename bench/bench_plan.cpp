// A sixteen-day hourly forecast planned (384 hours: the 2 m wind, the WBGT, question 1's option,
// the calculator's outcome, the coolest start on one day) against the same 384 hours given to the
// Liljegren model one by one, in the same run. The plan should cost no more than the model does:
// whatever it adds around the model must vanish beside the model's iterations.

#include "bench/timing_reporter.h"
#include "core/forecast_plan.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>
#include <vector>

using namespace orvane;

namespace {

constexpr double kLat = 38.9, kLon = -77.0; // Washington DC
constexpr std::int64_t kJuly1 = 1719792000; // 2024-07-01 00:00 UTC
constexpr int kHours = 16 * 24;

// A summer fortnight's daily rhythm, with the sun from its real position, so both night and day
// stability classes and every WBGT option occur.
const std::vector<ForecastHour>& forecast() {
    static const std::vector<ForecastHour> hours = [] {
        std::vector<ForecastHour> all;
        for (int i = 0; i < kHours; ++i) {
            const double phase = 2 * std::numbers::pi * ((i + 4) % 24 - 9) / 24; // warmest 15 local
            const auto utc = *CivilUtc(kJuly1 + std::int64_t(i) * 3600);
            const double sun =
                SolarPosition(utc.year, utc.month, utc.day, utc.hour, 0, 0, kLat, kLon).cosZenith;
            all.push_back({kJuly1 + std::int64_t(i) * 3600, 27 + 6 * std::sin(phase) + i % 5,
                           65 - 20 * std::sin(phase), 1.0 + i % 7,
                           std::max(0.0, 950 * sun * (0.6 + 0.1 * (i % 5))), 1008.0 + i % 9});
        }
        return all;
    }();
    return hours;
}

const BoxTexts kAnswers{"", "", "6", "6", "5", "6", "5", "4", "5", "2", "4", "0"};

void BM_Plan(benchmark::State& state) {
    for (auto _ : state) {
        auto plan = PlanForecast(forecast(), kLat, kLon, Terrain::Rural);
        AssessPlan(plan, kAnswers);
        benchmark::DoNotOptimize(
            FindCoolestStart(plan, 180, kJuly1 + 4 * 3600, kJuly1 + 28 * 3600));
        benchmark::DoNotOptimize(plan.data());
    }
}

void BM_SingleEstimates(benchmark::State& state) {
    // The model's own inputs for the same hours, prepared outside the timing.
    std::vector<WbgtInput> inputs;
    for (const PlannedHour& hour : PlanForecast(forecast(), kLat, kLon, Terrain::Rural)) {
        if (!hour.value())
            return state.SkipWithError("a benchmark hour has no WBGT");
        const auto utc = *CivilUtc(hour.weather.utcSeconds);
        inputs.push_back({utc.year, utc.month, utc.day, utc.hour, 0, 0, kLat, kLon,
                          *hour.weather.airC, *hour.weather.relativeHumidity,
                          hour.value()->wind2mMs, hour.weather.solarWm2, SkyCondition::Clear, false,
                          *hour.weather.pressureHpa});
    }
    for (auto _ : state)
        for (const WbgtInput& in : inputs)
            benchmark::DoNotOptimize(EstimateWbgt(in));
}

// Repeated, and compared by their fastest runs in processor time: on a machine busy with other
// work, that is the run least disturbed by it.
BENCHMARK(BM_Plan)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_SingleEstimates)->Unit(benchmark::kMicrosecond)->Repetitions(9);

void summary(const orvane::bench::TimingReporter& r) {
    const double plan = r.cpuTime("BM_Plan");
    const double single = r.cpuTime("BM_SingleEstimates");
    if (plan <= 0 || single <= 0)
        return;
    std::printf("Fastest in processor time: a %d-hour plan %.0f us, %d single estimates %.0f us: "
                "the plan costs %.2f times the model's own time\n",
                kHours, plan, kHours, single, plan / single);
}

} // namespace

int main(int argc, char** argv) {
    return orvane::bench::runBenchmarks(argc, argv, summary);
}
