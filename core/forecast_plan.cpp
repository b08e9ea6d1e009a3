#include "core/forecast_plan.h"

#include "core/catalogue.h"
#include "core/wbgt_table.h"

#include <algorithm>
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

std::variant<HourWbgt, HourGap> estimate(const ForecastHour& hour, const SunPosition& sun,
                                         double latitude, double longitude, Terrain terrain) {
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

    // The sun is placed once for the day-or-night question, the time of day and the model. A
    // wind the model would refuse goes to it unchanged, so the refusal names the real value.
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

constexpr double kPi = 3.14159265358979323846;
constexpr double kCivilTwilightDeg = -6;

SunPosition sunAt(std::int64_t utcSeconds, double latitude, double longitude) {
    const auto t = CivilUtc(utcSeconds).value_or(UtcDateTime{});
    return SolarPosition(t.year, t.month, t.day, t.hour, t.minute, t.second, latitude, longitude);
}

double elevationDeg(const SunPosition& sun) {
    return std::asin(std::clamp(sun.cosZenith, -1.0, 1.0)) * 180 / kPi;
}

const RiskOption& timeOption(int index) {
    return FindFactor("Time")->options[std::size_t(index)];
}

// The box texts with an hour's own options written in; `timeIndex` -1 keeps the caller's answer.
BoxTexts withHour(BoxTexts answers, int wbgtIndex, int timeIndex) {
    answers[std::size_t(Box::WBGT)] = *FindFactor("WBGT")->options[std::size_t(wbgtIndex)].outcome;
    if (timeIndex >= 0)
        answers[std::size_t(Box::Time)] = *timeOption(timeIndex).outcome;
    return answers;
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

int TimeOfDayOption(int localMinutes, bool daylightSaving, double sunElevationDeg) {
    // The options' clock edges are daylight-saving times: 9 am, 12 noon and 4 pm.
    const int shift = daylightSaving ? 0 : 60;
    const int minutes = localMinutes + shift;
    if (minutes < 9 * 60)
        return 0; // "Before 9 am"
    if (minutes < 12 * 60)
        return 1; // "9 am to 12 noon"
    if (minutes < 16 * 60)
        return 2; // "12 noon to 4 pm"
    // "4 pm to sunset" (5 points) outscores "After dark" (2), so it holds through the twilight.
    return sunElevationDeg >= kCivilTwilightDeg ? 3 : 4;
}

std::vector<PlannedHour> PlanForecast(std::span<const ForecastHour> hours, double latitude,
                                      double longitude, Terrain terrain) {
    std::vector<PlannedHour> plan;
    plan.reserve(hours.size());
    for (const ForecastHour& hour : hours) {
        const SunPosition sun = sunAt(hour.utcSeconds, latitude, longitude);
        PlannedHour planned{hour, estimate(hour, sun, latitude, longitude, terrain),
                            elevationDeg(sun), -1, std::nullopt};
        if (hour.localMinutes >= 0 && hour.localMinutes < 24 * 60)
            planned.timeOption =
                TimeOfDayOption(hour.localMinutes, hour.daylightSaving, planned.sunElevationDeg);
        plan.push_back(std::move(planned));
    }
    return plan;
}

std::optional<MissingAnswer> AssessPlan(std::span<PlannedHour> plan, BoxTexts answers) {
    answers[std::size_t(Box::Dry_Bulb)] = {};
    // The outcome depends on the hour only through its two options, so at most twenty
    // evaluations serve any number of hours.
    const auto wbgtOptions = FindFactor("WBGT")->options.size();
    const auto timeOptions = FindFactor("Time")->options.size();
    std::vector<std::optional<EvaluationOutcome>> known(wbgtOptions * (timeOptions + 1));
    const auto outcome = [&](int wbgt, int time) -> const EvaluationOutcome& {
        auto& slot = known[std::size_t(wbgt) * (timeOptions + 1) + std::size_t(time + 1)];
        if (!slot)
            slot = EvaluateRisk(withHour(answers, wbgt, time));
        return *slot;
    };
    const auto* missing = std::get_if<MissingAnswer>(&outcome(0, -1));
    for (PlannedHour& hour : plan) {
        const HourWbgt* value = hour.value();
        hour.outcome.reset();
        if (value && !missing)
            hour.outcome = outcome(value->option, hour.timeOption);
    }
    return missing ? std::optional(*missing) : std::nullopt;
}

std::optional<EvaluationOutcome> EventOutcome(std::span<const PlannedHour> covered,
                                              BoxTexts answers) {
    if (covered.empty())
        return std::nullopt;
    int wbgt = -1;
    int time = -1;
    int timePoints = -1;
    for (const PlannedHour& hour : covered) {
        const HourWbgt* value = hour.value();
        if (!value)
            return std::nullopt;
        wbgt = std::max(wbgt, value->option);
        if (hour.timeOption >= 0) {
            const int points = int(ReadNumber(*timeOption(hour.timeOption).outcome));
            if (points > timePoints)
                time = hour.timeOption, timePoints = points;
        }
    }
    answers[std::size_t(Box::Dry_Bulb)] = {};
    EvaluationOutcome outcome = EvaluateRisk(withHour(answers, wbgt, time));
    if (std::holds_alternative<MissingAnswer>(outcome))
        return std::nullopt;
    return outcome;
}

Daylight DaylightOn(std::int64_t dayStartUtc, std::int64_t dayEndUtc, double latitude,
                    double longitude) {
    Daylight daylight;
    constexpr std::int64_t kStep = 60;
    // A day is at most 25 hours: a wider span is not a day, and is not walked minute by minute.
    if (dayEndUtc <= dayStartUtc || dayEndUtc - dayStartUtc > 26 * kHour ||
        !CivilUtc(dayStartUtc) || !CivilUtc(dayEndUtc))
        return daylight;
    double before = elevationDeg(sunAt(dayStartUtc, latitude, longitude));
    for (std::int64_t t = dayStartUtc + kStep; t <= dayEndUtc; t += kStep) {
        const double now = elevationDeg(sunAt(t, latitude, longitude));
        if (!daylight.firstLight && before < kCivilTwilightDeg && now >= kCivilTwilightDeg)
            daylight.firstLight = t;
        if (before > 0 && now <= 0)
            daylight.sunset = t;
        before = now;
    }
    // Light at midnight already, as in a summer far north: the day's light begins with it.
    if (!daylight.firstLight &&
        elevationDeg(sunAt(dayStartUtc, latitude, longitude)) >= kCivilTwilightDeg)
        daylight.firstLight = dayStartUtc;
    return daylight;
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
        CoolestStart candidate{i, covered, i, 0};
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
    return *best;
}

} // namespace orvane
