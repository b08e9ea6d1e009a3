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

#include "core/catalogue.h"
#include "weather/http_transport.h"

#include <QFile>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

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

int wrongCall(const std::string& why) {
    std::fprintf(
        stderr, "orvane-eval: %s (usage: orvane-eval forecast [--urban] [--answer KEY=TEXT ...])\n",
        why.c_str());
    return 2;
}

// "73, HIGH RISK (66 to 74)" as the planner's table reads, split for scripts.
void addOutcome(json::Object& line, const std::optional<EvaluationOutcome>& outcome) {
    if (!outcome)
        return;
    if (std::holds_alternative<MedicalReferral>(*outcome)) {
        line.add("total", QJsonValue(QJsonValue::Null)).add("band", "medical referral");
    } else if (const auto* scored = std::get_if<Scored>(&*outcome)) {
        line.add("total", scored->total)
            .add("band",
                 scored->band ? json::text(scored->band->label) : QJsonValue(QJsonValue::Null));
    }
}

} // namespace

int forecastCommand(int argc, char** argv) {
    bool urban = false;
    std::array<std::string, kBoxCount> held;
    bool answered = false;
    for (int i = 0; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--urban") {
            urban = true;
        } else if (word == "--answer" && i + 1 < argc) {
            const std::string given = argv[++i];
            const auto equals = given.find('=');
            const std::string key = given.substr(0, equals);
            const RiskFactor* factor = FindFactor(key);
            if (equals == std::string::npos || !factor)
                return wrongCall("--answer takes KEY=TEXT with a key of the catalogue, not '" +
                                 given + "'");
            const auto points = OptionOutcome(key, given.substr(equals + 1));
            if (!points)
                return wrongCall("question " + key + " has no option '" + given.substr(equals + 1) +
                                 "'");
            for (std::size_t b = 0; b < kBoxCount; ++b)
                if (kBoxKeys[b] == key)
                    held[b] = *points;
            answered = true;
        } else {
            return wrongCall("unknown option '" + word + "'");
        }
    }
    BoxTexts answers;
    for (std::size_t b = 0; b < kBoxCount; ++b)
        answers[b] = held[b];

    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly)) {
        std::fprintf(stderr, "orvane-eval: cannot read standard input\n");
        return 2;
    }
    // The weather client's own limit: no forecast is anywhere near it.
    const QByteArray body = input.read(weather::kMaxAnswerBytes + 1);
    if (body.size() > weather::kMaxAnswerBytes) {
        writeLine(json::Object()
                      .add("error", "The answer is over 16 MB: it cannot be a forecast.")
                      .finish());
        return 1;
    }
    auto parsed = weather::ParseForecast(body);
    if (const auto* failure = std::get_if<weather::Failure>(&parsed)) {
        writeLine(json::Object().add("error", failure->message).finish());
        return 1;
    }
    auto& forecast = std::get<weather::Forecast>(parsed);
    bool knownZone = false;
    const QTimeZone zone = weather::ForecastZone(forecast, &knownZone);
    weather::SetLocalClocks(forecast, zone);
    auto plan = PlanForecast(forecast.hours, forecast.latitude, forecast.longitude,
                             urban ? Terrain::Urban : Terrain::Rural);
    if (answered) {
        if (const auto missing = AssessPlan(plan, answers)) {
            writeLine(json::Object().add("error", json::text(missing->message)).finish());
            return 1;
        }
    }
    if (!knownZone)
        std::fprintf(stderr, "orvane-eval: the forecast's time zone is not one this system knows: "
                             "local times are in UTC\n");
    const QString zoneName = QString::fromUtf8(zone.id());
    for (const PlannedHour& hour : plan) {
        json::Object line;
        line.add("utc", QString::fromLatin1(utcText(hour.weather.utcSeconds)))
            .add("local", QDateTime::fromSecsSinceEpoch(hour.weather.utcSeconds, zone)
                              .toString(QStringLiteral("yyyy-MM-ddTHH:mm")))
            .add("zone", zoneName);
        if (const auto* gap = std::get_if<HourGap>(&hour.wbgt)) {
            writeLine(line.add("error", json::text(gap->reason)).finish());
            continue;
        }
        const HourWbgt& value = *hour.value();
        line.add("air_c", number(hour.weather.airC))
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
            .add("time_option",
                 json::text(FactorOptions("Time")[std::size_t(std::max(hour.timeOption, 0))]));
        addOutcome(line, hour.outcome);
        writeLine(line.finish());
    }
    return 0;
}

} // namespace orvane::cli
