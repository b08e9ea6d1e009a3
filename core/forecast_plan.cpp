#include "core/forecast_plan.h"

#include "core/catalogue.h"
#include "core/wbgt_table.h"

#include <array>
#include <chrono>
#include <cmath>

namespace orvane {
namespace {

using namespace std::chrono;

constexpr std::int64_t secondsSinceEpoch(year_month_day date) {
    return sys_seconds(sys_days(date)).time_since_epoch().count();
}
constexpr std::int64_t kFirstCivil = secondsSinceEpoch(year(1) / January / 1);
constexpr std::int64_t kEndCivil = secondsSinceEpoch(year(10000) / January / 1);
constexpr std::int64_t kHour = 3600;

std::string missingReason(std::span<const WbgtField> fields) {
    std::string names;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            names += i + 1 == fields.size() ? " or " : ", ";
        names += WbgtFieldName(fields[i]);
    }
    return "no " + names + " in the forecast";
}

std::variant<HourWbgt, HourGap> estimate(const ForecastHour& hour, double latitude,
                                         double longitude, Terrain terrain) {
    const struct {
        WbgtField field;
        const std::optional<double>& value;
    } given[] = {
        {WbgtField::AirTemperature, hour.airC},
        {WbgtField::RelativeHumidity, hour.relativeHumidity},
        {WbgtField::Wind, hour.wind10mMs},
        {WbgtField::Solar, hour.solarWm2},
        {WbgtField::Pressure, hour.pressureHpa},
    };
    std::array<WbgtField, std::size(given)> missing{};
    std::size_t missingCount = 0;
    for (const auto& g : given)
        if (!g.value)
            missing[missingCount++] = g.field;
    if (missingCount > 0)
        return HourGap{true, missing[0], missingReason(std::span(missing).first(missingCount))};

    WbgtInput in;
    // A time beyond the calendar keeps year 0, which the model refuses in its own words.
    in.year = 0;
    if (const auto utc = CivilUtc(hour.utcSeconds)) {
        in.year = utc->year, in.month = utc->month, in.day = utc->day;
        in.hour = utc->hour, in.minute = utc->minute, in.second = utc->second;
    }
    in.latitude = latitude;
    in.longitude = longitude;
    in.airC = *hour.airC;
    in.relativeHumidity = *hour.relativeHumidity;
    in.solarWm2 = hour.solarWm2; // the forecast's irradiance is the measured one
    in.pressureHpa = *hour.pressureHpa;

    // Placed once for both the day-or-night question and the model. A wind the model would
    // refuse goes to it unchanged, so the refusal names the real value.
    const SunPosition sun = SolarPosition(in.year, in.month, in.day, in.hour, in.minute, in.second,
                                          latitude, longitude);
    const double wind10 = *hour.wind10mMs;
    StabilityClass stability = StabilityClass::D;
    in.windMs = wind10;
    if (wind10 >= 0 && std::isfinite(wind10)) {
        stability = sun.cosZenith > 0 ? DaytimeStabilityClass(*hour.solarWm2, wind10)
                                      : NightStabilityClass(wind10);
        in.windMs = WindAt2m(wind10, stability, terrain);
    }

    const WbgtOutcome outcome = EstimateWbgt(in, sun);
    if (const auto* error = std::get_if<WbgtError>(&outcome))
        return HourGap{false, error->field,
                       std::string(WbgtFieldName(error->field)) + ": " + error->reason};

    HourWbgt result;
    result.stability = stability;
    result.wind2mMs = in.windMs;
    result.wbgtC = std::get<WbgtResult>(outcome).wbgtC;
    result.wbgtF = CelsiusToFahrenheit(result.wbgtC);
    result.option = WbgtOptionIndex(result.wbgtF);
    const RiskOption& option = FindFactor("WBGT")->options[std::size_t(result.option)];
    result.optionText = option.text;
    result.points = *option.outcome;
    return result;
}

// The value the window shows, in tenths of a degree Fahrenheit.
long long shownTenths(const HourWbgt& hour) {
    return std::llround(hour.wbgtF * 10);
}

} // namespace

std::optional<UtcDateTime> CivilUtc(std::int64_t utcSeconds) {
    if (utcSeconds < kFirstCivil || utcSeconds >= kEndCivil)
        return std::nullopt;
    const sys_seconds instant{seconds{utcSeconds}};
    const sys_days day = floor<days>(instant);
    const year_month_day date{day};
    const hh_mm_ss time{instant - day};
    return UtcDateTime{
        int(date.year()),          int(unsigned(date.month())), int(unsigned(date.day())),
        int(time.hours().count()), int(time.minutes().count()), int(time.seconds().count())};
}

std::vector<PlannedHour> PlanForecast(std::span<const ForecastHour> hours, double latitude,
                                      double longitude, Terrain terrain) {
    std::vector<PlannedHour> plan;
    plan.reserve(hours.size());
    for (const ForecastHour& hour : hours)
        plan.push_back({hour, estimate(hour, latitude, longitude, terrain), std::nullopt});
    return plan;
}

std::optional<MissingAnswer> AssessPlan(std::span<PlannedHour> plan, BoxTexts answers) {
    answers[std::size_t(Box::Dry_Bulb)] = {};
    // The outcome depends on the hour only through its option, so four evaluations serve all.
    const auto options = FindFactor("WBGT")->options;
    std::vector<EvaluationOutcome> byOption;
    for (const RiskOption& option : options) {
        answers[std::size_t(Box::WBGT)] = *option.outcome;
        byOption.push_back(EvaluateRisk(answers));
    }
    const auto* missing = std::get_if<MissingAnswer>(&byOption.front());
    for (PlannedHour& hour : plan) {
        const HourWbgt* value = hour.value();
        hour.outcome.reset();
        if (value && !missing)
            hour.outcome = byOption[std::size_t(value->option)];
    }
    return missing ? std::optional(*missing) : std::nullopt;
}

std::variant<CoolestStart, NoCoolestStart> FindCoolestStart(std::span<const PlannedHour> plan,
                                                            int eventMinutes,
                                                            std::int64_t dayStartUtc,
                                                            std::int64_t dayEndUtc) {
    if (eventMinutes <= 0)
        return NoCoolestStart{"the event must last at least a minute"};
    if (dayEndUtc <= dayStartUtc)
        return NoCoolestStart{"the day has no hours"};
    // Unsigned, so the widest spans cannot overflow; both differences are positive here.
    const auto dayLength = std::uint64_t(dayEndUtc) - std::uint64_t(dayStartUtc);
    const auto eventLength = std::uint64_t(eventMinutes) * 60;
    if (eventLength > dayLength)
        return NoCoolestStart{"too few hours: the event is longer than the day"};
    const std::size_t covered = (eventLength + kHour - 1) / kHour;

    std::optional<CoolestStart> best;
    long long bestTenths = 0;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const std::int64_t start = plan[i].weather.utcSeconds;
        if (start < dayStartUtc || start >= dayEndUtc ||
            std::uint64_t(dayEndUtc) - std::uint64_t(start) < eventLength)
            continue;
        CoolestStart candidate{i, i, 0, std::nullopt};
        long long tenths = 0;
        bool complete = true;
        for (std::size_t k = 0; k < covered && complete; ++k) {
            const std::size_t j = i + k;
            const HourWbgt* value = j < plan.size() ? plan[j].value() : nullptr;
            complete = value && plan[j].weather.utcSeconds == start + std::int64_t(k) * kHour;
            if (complete && (k == 0 || shownTenths(*value) > tenths)) {
                tenths = shownTenths(*value);
                candidate.hottestIndex = j;
                candidate.highestWbgtC = value->wbgtC;
            }
        }
        if (complete && (!best || tenths < bestTenths)) {
            best = candidate;
            bestTenths = tenths;
        }
    }
    if (!best)
        return NoCoolestStart{"too few hours: no " + std::to_string(covered) +
                              " hours in a row on that day have a WBGT"};
    best->outcome = plan[best->hottestIndex].outcome;
    return *best;
}

} // namespace orvane
