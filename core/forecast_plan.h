#pragma once

// An event day planned from an hourly weather forecast: for each hour the WBGT by Liljegren's
// model, question 1's option for it, question 8's option for its time of day, and what the
// calculator would give with the other answers; then the start on the chosen day whose hours are
// the coolest, and what the calculator gives for an event over some of its hours.
//
// Times are UTC seconds throughout. The local clock is the caller's business: it alone knows the
// place's time zone, with its daylight-saving changes, and tells each hour's clock reading.

#include "core/evaluation.h"
#include "core/liljegren.h"
#include "core/wind_profile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvane {

// One hour of a forecast. A weather service may leave any value out.
struct ForecastHour {
    std::int64_t utcSeconds = 0;            // since 1970-01-01 00:00 UTC
    std::optional<double> airC;             // at 2 m
    std::optional<double> relativeHumidity; // percent, at 2 m
    std::optional<double> wind10mMs;        // at 10 m
    std::optional<double> solarWm2;         // global horizontal, at that instant
    std::optional<double> pressureHpa;      // at the surface, not reduced to sea level
    // The place's clock at that instant, where the caller knows its time zone: minutes since
    // local midnight (-1: not known), and whether the clocks are put forward then.
    int localMinutes = -1;
    bool daylightSaving = false;
};

struct UtcDateTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

// The civil date and time of a UTC instant in the years 1 to 9999; nothing outside them.
std::optional<UtcDateTime> CivilUtc(std::int64_t utcSeconds);

struct HourWbgt {
    StabilityClass stability = StabilityClass::D;
    double wind2mMs = 0;
    double wbgtC = 0;
    double wbgtF = 0;
    int option = 0;              // index into question 1's options, banded by WbgtOptionIndex
    std::string_view optionText; // the option as the list shows it
    std::string_view points;     // the points it writes into the WBGT box
};

// Why an hour has no WBGT.
struct HourGap {
    bool missing = false; // the forecast left a value out; otherwise the model refused one
    WbgtField field = WbgtField::Time; // the first value missing, or the one refused
    std::string reason;                // for a person, e.g. "no wind speed in the forecast"
};

struct PlannedHour {
    ForecastHour weather;
    std::variant<HourWbgt, HourGap> wbgt;
    double sunElevationDeg = 0; // the sun's centre above the horizon at the hour's instant
    // Question 8's option for the hour's own time of day; -1 where the clock is not known.
    int timeOption = -1;
    // The calculator's outcome with this hour's points in the WBGT box and, where its time of
    // day is known, in the Time box; set by AssessPlan.
    std::optional<EvaluationOutcome> outcome;

    const HourWbgt* value() const { return std::get_if<HourWbgt>(&wbgt); }
};

// Question 8's option ("Before 9 am" ... "After dark") for a moment, read as the guidelines read
// the options: their hours are daylight-saving times, so where the clocks are not put forward on
// that date each boundary comes an hour earlier by the clock; "4 pm to sunset" lasts while the
// sun is up and "After dark" begins once it is 6 degrees below the horizon (the end of civil
// twilight), the twilight between them taking the higher-scoring of the two. Before 4 pm the
// clock decides, whatever the sun.
int TimeOfDayOption(int localMinutes, bool daylightSaving, double sunElevationDeg);

// One planned hour per forecast hour, in the same order. The sun decides day or night for the
// wind's stability class: up when its centre is above the horizon at that instant.
std::vector<PlannedHour> PlanForecast(std::span<const ForecastHour> hours, double latitude,
                                      double longitude, Terrain terrain);

// Fills every hour's outcome from the calculator's other answers, or clears them all and gives
// the first missing answer, once for the plan. The WBGT box is each hour's, and so is the Time
// box where the hour's time of day is known; the Dry_Bulb box is taken as empty, since answering
// question 1 by WBGT locks the air-temperature list.
std::optional<MissingAnswer> AssessPlan(std::span<PlannedHour> plan, BoxTexts answers);

// The calculator's outcome for an event over these hours: question 1 at its hottest hour and
// question 8 at the riskiest time of day among them, as the guidelines ask, with the other
// answers as given. Nothing when an hour has no WBGT or an answer is missing.
std::optional<EvaluationOutcome> EventOutcome(std::span<const PlannedHour> covered,
                                              BoxTexts answers);

// Civil dawn and sunset on a day at a place, found to the minute; either is missing where the
// sun does not cross that height that day (polar day or night).
struct Daylight {
    std::optional<std::int64_t> firstLight; // the sun 6 degrees below the horizon, rising
    std::optional<std::int64_t> sunset;     // the sun's centre at the horizon, setting
};
Daylight DaylightOn(std::int64_t dayStartUtc, std::int64_t dayEndUtc, double latitude,
                    double longitude);

struct CoolestStart {
    std::size_t startIndex = 0;   // the plan hour the event starts at
    std::size_t hourCount = 0;    // the plan hours it covers
    std::size_t hottestIndex = 0; // the covered hour with the highest WBGT, the first if tied
    double highestWbgtC = 0;
};

struct NoCoolestStart {
    std::string reason;
};

// The start on the hour within [dayStartUtc, dayEndUtc) whose event lies wholly within that
// span and whose covered hours have the lowest highest WBGT, judged to the tenth of a degree
// Fahrenheit the window shows; ties go to the earliest start. An event covers the clock hours it
// touches, so 90 minutes from 10:00 cover 10:00 and 11:00. A start counts only when every hour
// it covers has a WBGT. A caller keeps an event to daylight by giving the span from first light
// to sunset.
std::variant<CoolestStart, NoCoolestStart> FindCoolestStart(std::span<const PlannedHour> plan,
                                                            int eventMinutes,
                                                            std::int64_t dayStartUtc,
                                                            std::int64_t dayEndUtc);

} // namespace orvane
