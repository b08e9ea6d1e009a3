#pragma once

// An event day planned from an hourly weather forecast: for each hour the WBGT by Liljegren's
// model, question 1's option for it, and what the calculator would give with the other answers;
// then the start on the chosen day whose hours are the coolest.
//
// Times are UTC seconds throughout. Local times are the window's business: it alone knows the
// place's time zone, with its daylight-saving changes.

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
    // The calculator's outcome with this hour's points in the WBGT box; set by AssessPlan.
    std::optional<EvaluationOutcome> outcome;

    const HourWbgt* value() const { return std::get_if<HourWbgt>(&wbgt); }
};

// One planned hour per forecast hour, in the same order. The sun decides day or night for the
// wind's stability class: up when its centre is above the horizon at that instant.
std::vector<PlannedHour> PlanForecast(std::span<const ForecastHour> hours, double latitude,
                                      double longitude, Terrain terrain);

// Fills every hour's outcome from the calculator's other answers, or clears them all and gives
// the first missing answer, once for the plan. The WBGT box is each hour's; the Dry_Bulb box is
// taken as empty, since answering question 1 by WBGT locks the air-temperature list.
std::optional<MissingAnswer> AssessPlan(std::span<PlannedHour> plan, BoxTexts answers);

struct CoolestStart {
    std::size_t startIndex = 0;   // the plan hour the event starts at
    std::size_t hottestIndex = 0; // the covered hour with the highest WBGT, the first if tied
    double highestWbgtC = 0;
    // The calculator's outcome at the hottest covered hour, when the plan was assessed: the
    // event's risk is that of its worst hour.
    std::optional<EvaluationOutcome> outcome;
};

struct NoCoolestStart {
    std::string reason;
};

// The start on the hour within [dayStartUtc, dayEndUtc) whose event lies wholly within that
// span and whose covered hours have the lowest highest WBGT, judged to the tenth of a degree
// Fahrenheit the window shows; ties go to the earliest start. An event covers the clock hours it
// touches, so 90 minutes from 10:00 cover 10:00 and 11:00. A start counts only when every hour
// it covers has a WBGT.
std::variant<CoolestStart, NoCoolestStart> FindCoolestStart(std::span<const PlannedHour> plan,
                                                            int eventMinutes,
                                                            std::int64_t dayStartUtc,
                                                            std::int64_t dayEndUtc);

} // namespace orvane
