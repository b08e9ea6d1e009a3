// The planner's offline half: an Open-Meteo forecast answer, saved or piped, in; for each hour
// the 2 m wind, the WBGT and question 1's option out, as the planner window computes them. It
// never touches the network, so scripts and tests can feed it any answer.
//
// Each hour gives utc, air_c, rh, wind_10m_ms, wind_2m_ms, solar_wm2, pressure_hpa, wbgt_c,
// wbgt_f, option, points and ceiling (the rule its WBGT meets whatever the score, or null), or utc
// and error when it has no WBGT. Such an hour is the forecast's
// gap, not a failure of the run: the exit status stays 0.

#include "cli/forecast_command.h"

#include "cli/json_line.h"
#include "core/forecast_plan.h"
#include "core/wbgt_ceiling.h"
#include "weather/open_meteo.h"

#include <QFile>

#include <cmath>
#include <cstdio>

namespace orvane::cli {
namespace {

// Rounded well below what the model can vouch for, so lines stay short and stable.
QJsonValue hundredths(double value) {
    return std::round(value * 100) / 100 + 0.0; // + 0.0 turns -0 into 0
}

QJsonValue number(const std::optional<double>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// The rule of the WBGT ceiling that the hour's WBGT meets, or null.
QJsonValue ceilingOf(double wbgtF) {
    const CeilingRule* rule = FindCeilingRule(CeilingLevelFor(wbgtF));
    return rule ? json::text(rule->name) : QJsonValue(QJsonValue::Null);
}

void writeLine(const QByteArray& line) {
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
    std::fputc('\n', stdout);
}

QByteArray utcText(std::int64_t seconds) {
    const UtcDateTime t = CivilUtc(seconds).value_or(UtcDateTime{}); // the parser kept it in range
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

} // namespace

int forecastCommand(bool urban) {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly)) {
        std::fprintf(stderr, "orvane-eval: cannot read standard input\n");
        return 2;
    }
    const auto parsed = weather::ParseForecast(input.readAll());
    if (const auto* failure = std::get_if<weather::Failure>(&parsed)) {
        writeLine(json::Object().add("error", failure->message).finish());
        return 1;
    }
    const auto& forecast = std::get<weather::Forecast>(parsed);
    const auto plan = PlanForecast(forecast.hours, forecast.latitude, forecast.longitude,
                                   urban ? Terrain::Urban : Terrain::Rural);
    for (const PlannedHour& hour : plan) {
        json::Object line;
        line.add("utc", QString::fromLatin1(utcText(hour.weather.utcSeconds)));
        if (const auto* gap = std::get_if<HourGap>(&hour.wbgt)) {
            writeLine(line.add("error", json::text(gap->reason)).finish());
            continue;
        }
        const HourWbgt& value = *hour.value();
        writeLine(line.add("air_c", number(hour.weather.airC))
                      .add("rh", number(hour.weather.relativeHumidity))
                      .add("wind_10m_ms", number(hour.weather.wind10mMs))
                      .add("wind_2m_ms", hundredths(value.wind2mMs))
                      .add("solar_wm2", number(hour.weather.solarWm2))
                      .add("pressure_hpa", number(hour.weather.pressureHpa))
                      .add("wbgt_c", hundredths(value.wbgtC))
                      .add("wbgt_f", hundredths(value.wbgtF))
                      .add("option", json::text(value.optionText))
                      .add("points", json::text(value.points))
                      .add("ceiling", ceilingOf(value.wbgtF))
                      .finish());
    }
    return 0;
}

} // namespace orvane::cli
