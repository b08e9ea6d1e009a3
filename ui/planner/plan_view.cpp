#include "ui/planner/plan_view.h"

#include "core/catalogue.h"
#include "core/wbgt_ceiling.h"
#include "core/wbgt_table.h"
#include "coreqt/core_qt.h"
#include "ui/charts/band_colors.h"
#include "ui/common/numbers.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <map>

namespace orvane::ui {
namespace {

constexpr qint64 kHour = 3600;

QString dash() {
    return QStringLiteral("\u2014");
}

QString clock(qint64 utc, const QTimeZone& zone) {
    return QDateTime::fromSecsSinceEpoch(utc, zone).toString(QStringLiteral("HH:mm"));
}

bool covers(const PlannedHour& hour, qint64 from, qint64 to) {
    return hour.weather.utcSeconds + kHour > from && hour.weather.utcSeconds < to;
}

std::span<const PlannedHour> coveredHours(const std::vector<PlannedHour>& plan, qint64 from,
                                          qint64 to) {
    const auto first = std::find_if(plan.begin(), plan.end(),
                                    [&](const PlannedHour& h) { return covers(h, from, to); });
    const auto last =
        std::find_if(first, plan.end(), [&](const PlannedHour& h) { return !covers(h, from, to); });
    return {first, last};
}

CeilingLevel levelOf(const PlannedHour& hour) {
    const HourWbgt* v = hour.value();
    return v ? CeilingLevelFor(v->wbgtF) : CeilingLevel::None;
}

QString ruleName(CeilingLevel level) {
    const CeilingRule* rule = FindCeilingRule(level);
    return rule ? qs(rule->name) : QString();
}

QString optionName(std::string_view key, int index) {
    const auto options = FactorOptions(key);
    return index >= 0 && index < int(options.size()) ? qs(options[std::size_t(index)]) : QString();
}

} // namespace

QString outcomeText(const std::optional<EvaluationOutcome>& outcome, int* rank) {
    if (rank)
        *rank = -1;
    if (!outcome)
        return {};
    if (std::holds_alternative<MedicalReferral>(*outcome)) {
        if (rank)
            *rank = 3;
        return QStringLiteral("medical referral");
    }
    if (const auto* scored = std::get_if<Scored>(&*outcome)) {
        if (rank)
            *rank = scored->band ? scored->band->rank : -1;
        return QString::fromStdString(scored->display).trimmed() +
               (scored->band ? QStringLiteral(", ") + qs(scored->band->label) : QString());
    }
    return {};
}

ChartModel dayChart(const std::vector<PlannedHour>& plan, const DaySpan& day) {
    ChartModel m;
    m.fromUtc = day.dayStart;
    m.toUtc = day.dayEnd;
    for (const PlannedHour& hour : plan) {
        m.fromUtc = std::min<qint64>(m.fromUtc, hour.weather.utcSeconds);
        m.toUtc = std::max<qint64>(m.toUtc, hour.weather.utcSeconds + kHour);
    }
    m.zone = day.zone;
    // 50 to 100 °F, widened to take in any hour outside it: a value is never drawn on an edge.
    double low = 50, high = 100;
    for (const PlannedHour& hour : plan)
        if (const HourWbgt* v = hour.value()) {
            low = std::min(low, std::floor(v->wbgtF / 10) * 10);
            high = std::max(high, std::ceil(v->wbgtF / 10) * 10);
        }
    m.left = {QStringLiteral("WBGT \u00b0F"), low, high, 10};
    const auto options = FactorOptions("WBGT");
    const double edges[] = {low, 73, 82, 86, high};
    for (int i = 0; i < 4; ++i)
        m.bands.push_back({edges[i], edges[i + 1], bandShade(i), qs(options[std::size_t(i)])});
    for (const CeilingRule& rule : CeilingRules())
        m.levels.push_back({rule.aboveF, qs(rule.name), bandInk(3)});
    ChartSeries wbgt{QStringLiteral("WBGT \u00b0F"), QColor(0, 60, 160), false, {}};
    for (const PlannedHour& hour : plan) {
        std::optional<double> f;
        if (const HourWbgt* v = hour.value())
            f = v->wbgtF;
        wbgt.points.push_back({hour.weather.utcSeconds, f, levelOf(hour) != CeilingLevel::None});
    }
    m.series.push_back(wbgt);
    m.markLabel = QStringLiteral("at or over the WBGT ceiling");
    if (day.eventEnd > day.eventStart) {
        m.span = {day.eventStart, day.eventEnd};
        m.spanLabel = QStringLiteral("the event");
    }
    return m;
}

QStringList hourHeader() {
    return {"Local time",    "Air \u00b0F",
            "Humidity %",    "Wind 2 m mph",
            "Sun W/m\u00b2", "WBGT \u00b0F (\u00b0C)",
            "WBGT ceiling",  "Question 1",
            "Points",        "Time of day (question 8)",
            "Total and band"};
}

QString hourName(const PlannedHour& hour, const DaySpan& day,
                 const std::vector<PlannedHour>& plan) {
    const QString name = clock(hour.weather.utcSeconds, day.zone);
    const auto same = std::count_if(plan.begin(), plan.end(), [&](const PlannedHour& other) {
        return clock(other.weather.utcSeconds, day.zone) == name;
    });
    if (same < 2)
        return name;
    // The clocks went back: the zone's abbreviation tells the two apart.
    return name + u' ' +
           QDateTime::fromSecsSinceEpoch(hour.weather.utcSeconds, day.zone).timeZoneAbbreviation();
}

HourRow hourRow(const PlannedHour& hour, const DaySpan& day, const std::vector<PlannedHour>& plan) {
    const ForecastHour& w = hour.weather;
    const auto f = [](std::optional<double> c) {
        return c ? localNumber(CelsiusToFahrenheit(*c)) : dash();
    };
    HourRow row;
    row.cells = QStringList{hourName(hour, day, plan),
                            f(w.airC),
                            w.relativeHumidity ? localNumber(*w.relativeHumidity, 0) : dash(),
                            dash(),
                            w.solarWm2 ? localNumber(*w.solarWm2, 0) : dash(),
                            dash(),
                            QString(),
                            dash(),
                            dash(),
                            hour.timeOption >= 0 ? optionName("Time", hour.timeOption) : dash(),
                            QString()};
    if (const HourWbgt* v = hour.value()) {
        row.cells[HourRow::Wind] = localNumber(MetresPerSecondToMph(v->wind2mMs));
        row.cells[HourRow::Wbgt] =
            QStringLiteral("%1 (%2)").arg(localNumber(v->wbgtF), localNumber(v->wbgtC));
        row.cells[HourRow::Ceiling] = ruleName(levelOf(hour));
        row.ceiling = levelOf(hour) != CeilingLevel::None;
        row.cells[HourRow::Option] = qs(v->optionText);
        row.cells[HourRow::Points] = qs(v->points);
        row.cells[HourRow::Outcome] = outcomeText(hour.outcome, &row.rank);
        row.option = v->option;
    } else {
        // A dash in the row, the reason in its tooltip and once below the table: a sentence in
        // a cell would widen its column and push the totals off the screen.
        row.gap = QString::fromStdString(std::get<HourGap>(hour.wbgt).reason);
    }
    row.inEvent = covers(hour, day.eventStart, day.eventEnd);
    return row;
}

QString eventSentence(const std::vector<PlannedHour>& plan, const DaySpan& day,
                      const std::optional<BoxTexts>& answers) {
    if (day.eventEnd <= day.eventStart)
        return QStringLiteral("The event ends before it starts: set its start and end times.");
    const auto covered = coveredHours(plan, day.eventStart, day.eventEnd);
    const QString span = QStringLiteral("The event, %1 to %2")
                             .arg(clock(day.eventStart, day.zone), clock(day.eventEnd, day.zone));
    if (covered.empty())
        return span + QStringLiteral(": the forecast has no hours for it.");
    const PlannedHour* hottest = nullptr;
    int gaps = 0, over = 0, withValues = 0;
    CeilingLevel highest = CeilingLevel::None;
    for (const PlannedHour& hour : covered) {
        const HourWbgt* v = hour.value();
        if (!v) {
            ++gaps;
            continue;
        }
        ++withValues;
        if (!hottest || v->wbgtF > hottest->value()->wbgtF)
            hottest = &hour;
        over += levelOf(hour) != CeilingLevel::None;
        highest = std::max(highest, levelOf(hour));
    }
    QStringList parts;
    if (hottest)
        parts << span + QStringLiteral(": its hottest hour reaches a WBGT of %1 \u00b0F (\"%2\")")
                            .arg(localNumber(hottest->value()->wbgtF),
                                 qs(hottest->value()->optionText));
    else
        parts << span + QStringLiteral(": none of its hours has a WBGT");
    if (gaps > 0)
        parts.back() += QStringLiteral("; %1 of its %2 hours have no values (\u2014), so the "
                                       "calculator cannot judge it")
                            .arg(gaps)
                            .arg(covered.size());
    else if (answers)
        if (const auto outcome = EventOutcome(covered, *answers)) {
            int riskiest = -1;
            for (const PlannedHour& hour : covered)
                riskiest = std::max(riskiest, hour.timeOption);
            parts.back() +=
                QStringLiteral(", and the calculator gives %1").arg(outcomeText(outcome));
            if (riskiest >= 0)
                parts.back() += QStringLiteral(", with question 8 at its riskiest time of day, "
                                               "\"%1\"")
                                    .arg(optionName("Time", riskiest));
        }
    parts.back() += u'.';
    if (over > 0)
        parts << (over == withValues
                      ? QStringLiteral("No hour of the event is under the WBGT ceiling: at its "
                                       "hottest, %1, whatever the score.")
                            .arg(ruleName(highest))
                      : QStringLiteral("%1 of its hours are at or over the WBGT ceiling: at its "
                                       "hottest, %2, whatever the score.")
                            .arg(QString::number(over), ruleName(highest)));
    return parts.join(u' ');
}

QString coolestStartSentence(const std::vector<PlannedHour>& plan, const DaySpan& day,
                             const std::optional<BoxTexts>& answers) {
    const int minutes = int((day.eventEnd - day.eventStart) / 60);
    if (minutes <= 0)
        return {};
    const QString length =
        QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
    qint64 from = day.dayStart, to = day.dayEnd;
    QString within = QStringLiteral("at any hour of the day");
    if (!day.anyHour) {
        // An event is planned in daylight: 04:00 may be the coolest hour, but nobody runs then.
        const Daylight light = DaylightOn(day.dayStart, day.dayEnd, day.latitude, day.longitude);
        if (!light.firstLight)
            return QStringLiteral("No coolest start in daylight: the sun does not rise that day "
                                  "at this place. \"Any hour\" looks at every hour.");
        from = (*light.firstLight + kHour - 1) / kHour * kHour; // events start on the hour
        to = light.sunset.value_or(day.dayEnd);
        within = QStringLiteral("between first light (%1) and sunset (%2)")
                     .arg(clock(*light.firstLight, day.zone),
                          light.sunset ? clock(*light.sunset, day.zone) : QStringLiteral("none"));
    }
    const auto found = FindCoolestStart(plan, minutes, from, to);
    if (const auto* none = std::get_if<NoCoolestStart>(&found))
        return QStringLiteral("No coolest start for a %1 event %2: %3.")
            .arg(length, within, QString::fromStdString(none->reason));
    const auto& best = std::get<CoolestStart>(found);
    const auto covered = std::span(plan).subspan(best.startIndex, best.hourCount);
    const HourWbgt& hottest = *plan[best.hottestIndex].value();
    QString text = QStringLiteral("The coolest start for a %1 event %2 is %3: its hours reach at "
                                  "most a WBGT of %4 \u00b0F (\"%5\")")
                       .arg(length, within, hourName(plan[best.startIndex], day, plan),
                            localNumber(hottest.wbgtF), qs(hottest.optionText));
    if (answers)
        if (const auto outcome = EventOutcome(covered, *answers))
            text += QStringLiteral(", and the calculator would give %1").arg(outcomeText(outcome));
    text += u'.';
    if (const CeilingLevel level = CeilingLevelFor(hottest.wbgtF); level != CeilingLevel::None)
        text += QStringLiteral(" Even then it is at or over the WBGT ceiling: %1, whatever the "
                               "score.")
                    .arg(ruleName(level));
    return text;
}

QString gapsSentence(const std::vector<PlannedHour>& plan, const DaySpan& day) {
    std::map<std::string, QStringList> byReason;
    int gaps = 0;
    for (const PlannedHour& hour : plan)
        if (const auto* gap = std::get_if<HourGap>(&hour.wbgt)) {
            byReason[gap->reason] << hourName(hour, day, plan);
            ++gaps;
        }
    if (gaps == 0)
        return {};
    QStringList reasons;
    for (const auto& [reason, hours] : byReason)
        reasons << QStringLiteral("%1 (%2)").arg(QString::fromStdString(reason),
                                                 hours.join(QStringLiteral(", ")));
    return QStringLiteral("%1 without values (\u2014): %2.")
        .arg(gaps == 1 ? QStringLiteral("One hour") : QStringLiteral("%1 hours").arg(gaps),
             reasons.join(QStringLiteral("; ")));
}

} // namespace orvane::ui
