#include "ui/planner/plan_view.h"

#include "core/catalogue.h"
#include "core/wbgt_table.h"
#include "ui/charts/band_colors.h"

#include <QDateTime>
#include <QLocale>

namespace orvane::ui {
namespace {

constexpr double kMphPerMs = 1 / 0.44704;

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QString number(double value, int decimals = 1) {
    return QLocale().toString(value, 'f', decimals);
}

QString dash() {
    return QStringLiteral("\u2014");
}

// "57, MODERATE RISK (56 to 65)", "medical referral", or nothing without an outcome.
QString outcomeText(const std::optional<EvaluationOutcome>& outcome, int* rank = nullptr) {
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

} // namespace

ChartModel dayChart(const std::vector<PlannedHour>& plan, const DaySpan& day) {
    ChartModel m;
    // The day, and any hour the service gave beyond it.
    m.fromUtc = plan.empty() ? day.dayStart
                             : std::min<qint64>(day.dayStart, plan.front().weather.utcSeconds);
    m.toUtc = plan.empty() ? day.dayEnd
                           : std::max<qint64>(day.dayEnd, plan.back().weather.utcSeconds + 3600);
    m.zone = day.zone;
    m.left = {QStringLiteral("WBGT \u00b0F"), 50, 100, 10};
    const auto options = FactorOptions("WBGT");
    const double edges[] = {50, 73, 82, 86, 100};
    for (int i = 0; i < 4; ++i)
        m.bands.push_back({edges[i], edges[i + 1], bandShade(i), qs(options[std::size_t(i)])});
    ChartSeries wbgt{QStringLiteral("WBGT \u00b0F"), QColor(0, 60, 160), false, {}};
    for (const PlannedHour& hour : plan) {
        std::optional<double> f;
        if (const HourWbgt* v = hour.value())
            f = v->wbgtF;
        wbgt.points.push_back({hour.weather.utcSeconds, f, false});
    }
    m.series.push_back(wbgt);
    if (day.eventEnd > day.eventStart) {
        m.span = {day.eventStart, day.eventEnd};
        m.spanLabel = QStringLiteral("the event");
    }
    return m;
}

QStringList hourHeader() {
    return {"Local time",   "Air \u00b0F",   "Humidity %",
            "Wind 2 m mph", "Sun W/m\u00b2", "WBGT \u00b0F (\u00b0C)",
            "Question 1",   "Points",        "Total and band"};
}

HourRow hourRow(const PlannedHour& hour, const DaySpan& day) {
    const ForecastHour& w = hour.weather;
    const auto f = [](std::optional<double> c) {
        return c ? number(CelsiusToFahrenheit(*c)) : dash();
    };
    HourRow row;
    row.cells = QStringList{
        QDateTime::fromSecsSinceEpoch(w.utcSeconds, day.zone).toString(QStringLiteral("HH:mm t")),
        f(w.airC),
        w.relativeHumidity ? number(*w.relativeHumidity, 0) : dash(),
        dash(),
        w.solarWm2 ? number(*w.solarWm2, 0) : dash(),
        dash(),
        dash(),
        dash(),
        QString()};
    if (const HourWbgt* v = hour.value()) {
        row.cells[HourRow::Wind] = number(v->wind2mMs * kMphPerMs);
        row.cells[HourRow::Wbgt] =
            QStringLiteral("%1 (%2)").arg(number(v->wbgtF), number(v->wbgtC));
        row.cells[HourRow::Option] = qs(v->optionText);
        row.cells[HourRow::Points] = qs(v->points);
        row.cells[HourRow::Outcome] = outcomeText(hour.outcome, &row.rank);
        row.option = v->option;
    } else {
        row.cells[HourRow::Option] =
            QStringLiteral("no value: %1")
                .arg(QString::fromStdString(std::get<HourGap>(hour.wbgt).reason));
    }
    row.inEvent = w.utcSeconds + 3600 > day.eventStart && w.utcSeconds < day.eventEnd;
    return row;
}

QString coolestStartSentence(const std::vector<PlannedHour>& plan, const DaySpan& day) {
    const int minutes = int((day.eventEnd - day.eventStart) / 60);
    if (minutes <= 0)
        return QStringLiteral("The event ends before it starts: set its start and end times.");
    const auto found = FindCoolestStart(plan, minutes, day.dayStart, day.dayEnd);
    const QString length =
        QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
    if (const auto* none = std::get_if<NoCoolestStart>(&found))
        return QStringLiteral("No coolest start for a %1 event: %2.")
            .arg(length, QString::fromStdString(none->reason));
    const auto& best = std::get<CoolestStart>(found);
    const PlannedHour& hottest = plan[best.hottestIndex];
    const QString text =
        QStringLiteral("The coolest start for a %1 event is %2: its hottest hour reaches a WBGT "
                       "of %3 \u00b0F (\"%4\")")
            .arg(length,
                 QDateTime::fromSecsSinceEpoch(plan[best.startIndex].weather.utcSeconds, day.zone)
                     .toString(QStringLiteral("HH:mm")),
                 number(hottest.value()->wbgtF), qs(hottest.value()->optionText));
    const QString outcome = outcomeText(best.outcome);
    return text + (outcome.isEmpty()
                       ? QStringLiteral(".")
                       : QStringLiteral(", and the calculator would give %1.").arg(outcome));
}

} // namespace orvane::ui
