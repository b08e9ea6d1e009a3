#include "ui/eventlog/log_entries.h"

#include "core/catalogue.h"
#include "core/evaluation.h"
#include "core/wbgt_table.h"
#include "coreqt/core_qt.h"

#include <QLocale>
#include <QTextDocument>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace orvane::ui {
namespace {

// The WBGT in °F for the timeline: as estimated or forecast where a tool gave it, else the
// middle of the option chosen (the open ends a little past their edge).
std::optional<double> wbgtOf(const eventlog::Entry& entry) {
    if (const auto exact = entry.assessment.wbgtF())
        return exact;
    const Answer* wbgt = entry.assessment.answer("WBGT");
    if (!wbgt)
        return std::nullopt;
    const auto options = FactorOptions("WBGT");
    constexpr double kMiddles[] = {71.0, 77.5, 84.0, 88.0};
    for (std::size_t i = 0; i < options.size() && i < std::size(kMiddles); ++i)
        if (options[i] == wbgt->option)
            return kMiddles[i];
    return std::nullopt;
}

int rankOf(const eventlog::Entry& entry) {
    const Assessment& a = entry.assessment;
    return a.referral ? 3 : a.band ? a.band->rank : -1;
}

} // namespace

eventlog::Entry entryFor(const Assessment& a, const QString& decision, const QString& note) {
    eventlog::Entry entry;
    entry.assessment = a;
    entry.decision = decision.trimmed();
    entry.note = note.trimmed();
    return entry;
}

QString bandText(const eventlog::Entry& entry) {
    if (entry.assessment.referral)
        return QStringLiteral("medical referral");
    return entry.assessment.band ? qs(entry.assessment.band->label) : QString();
}

QString temperatureText(const eventlog::Entry& entry) {
    const Assessment& a = entry.assessment;
    const Answer* answer = a.answer("WBGT");
    if (!answer)
        answer = a.answer("Dry_Bulb");
    if (!answer)
        return {};
    const QString option = qs(answer->option);
    const auto exact = a.wbgtF();
    const QString value =
        exact ? QStringLiteral(" %1 \u00b0F").arg(QLocale().toString(*exact, 'f', 1)) : QString();
    switch (a.temperatureSource()) {
    case TemperatureSource::WbgtByHand: return QStringLiteral("WBGT %1").arg(option);
    case TemperatureSource::Estimated:
        return QStringLiteral("WBGT %1 (estimated%2)").arg(option, value);
    case TemperatureSource::Forecast:
        return QStringLiteral("WBGT %1 (forecast%2)").arg(option, value);
    case TemperatureSource::AirTemperature: return QStringLiteral("air %1").arg(option);
    }
    return {};
}

QString ceilingText(const eventlog::Entry& entry) {
    if (!entry.ceilingJudged)
        return QStringLiteral("not judged");
    const CeilingJudgement& c = entry.assessment.ceiling;
    if (c.unknown)
        return QStringLiteral("not known (air temperature)");
    const CeilingRule* rule = FindCeilingRule(c.level);
    return rule ? qs(rule->name) : QString();
}

QString entryTime(const eventlog::Event& event, const eventlog::Entry& entry) {
    const QDateTime time = entry.time();
    return time.date() == event.date ? time.toString(QStringLiteral("HH:mm"))
                                     : time.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

ChartModel timelineModel(const eventlog::Event& event, const QList<eventlog::Entry>& entries) {
    ChartModel m;
    m.zone = entries.isEmpty()
                 ? QTimeZone::systemTimeZone()
                 : QTimeZone(QByteArray::fromStdString(entries.front().assessment.at.zone));
    if (!m.zone.isValid())
        m.zone = QTimeZone(entries.front().assessment.at.offsetSeconds);
    // The event's day, widened to take in every entry.
    qint64 from = QDateTime(event.date, QTime(6, 0), m.zone).toSecsSinceEpoch();
    qint64 to = QDateTime(event.date, QTime(20, 0), m.zone).toSecsSinceEpoch();
    for (const eventlog::Entry& entry : entries) {
        const qint64 at = entry.assessment.at.utcSeconds;
        from = std::min(from, at - at % 3600);
        to = std::max(to, at - at % 3600 + 3600);
    }
    m.fromUtc = from;
    m.toUtc = to;
    m.left = {QStringLiteral("Total score"), 0, 100, 20};
    const double floors[] = {0, 55, 65, 74, 100};
    for (const RiskBand& band : Bands())
        m.bands.push_back(
            {floors[band.rank], floors[band.rank + 1], bandShade(band.rank), qs(band.range)});

    ChartSeries totals{QStringLiteral("Total"), QColor(20, 20, 20), false, {}};
    ChartSeries wbgt{QStringLiteral("WBGT \u00b0F (question 1)"), QColor(0, 90, 200), true, {}};
    for (const eventlog::Entry& entry : entries) {
        if (entry.struck)
            continue;
        const qint64 at = entry.assessment.at.utcSeconds;
        std::optional<double> total;
        if (!entry.assessment.referral)
            total = ReadNumber(entry.assessment.total);
        totals.points.push_back({at, total, entry.bandRose});
        if (const auto f = wbgtOf(entry))
            wbgt.points.push_back({at, f, false});
    }
    m.series.push_back(totals);
    m.markLabel = QStringLiteral("band rose");
    if (!wbgt.points.empty()) {
        // The WBGT in a strip of its own, over question 1's options: on the score's axis a
        // temperature of 79.6 °F would sit in the score's green, and read as safe.
        double low = 60, high = 100;
        for (const auto& point : wbgt.points) {
            low = std::min(low, std::floor(*point.value / 10) * 10);
            high = std::max(high, std::ceil(*point.value / 10) * 10);
        }
        ChartStrip strip{{QStringLiteral("WBGT \u00b0F"), low, high, 10}, {}};
        const auto options = FactorOptions("WBGT");
        const double edges[] = {low, 73, 82, 86, high};
        for (int i = 0; i < 4; ++i)
            strip.bands.push_back(
                {edges[i], edges[i + 1], bandShade(i), qs(options[std::size_t(i)])});
        m.strip = strip;
        m.series.push_back(wbgt);
    }
    return m;
}

QString printedNote(const QString& text) {
    return text.size() > kPrintedNoteLength
               ? text.left(kPrintedNoteLength) +
                     QStringLiteral(" [\u2026 cut here; the whole text is in the event log]")
               : text;
}

std::unique_ptr<QTextDocument> buildDayReport(const eventlog::Event& event,
                                              const QList<eventlog::Entry>& entries) {
    RecordWriter w(QStringLiteral("Heat illness risk: day report"));
    w.strongLine(event.name);
    w.line(QStringLiteral("Place: %1")
               .arg(event.place.isEmpty() ? QStringLiteral("not given") : event.place));
    w.line(QStringLiteral("Date: %1").arg(event.date.toString(Qt::ISODate)));
    if (!event.notes.isEmpty())
        w.line(event.notes);
    w.fillInLines({QStringLiteral("Responsible person"), QStringLiteral("Role")});

    w.heading(QStringLiteral("The day"));
    w.image(BandChart::printImage(timelineModel(event, entries)), 680);

    w.heading(QStringLiteral("Every assessment"));
    std::vector<QStringList> rows;
    std::vector<int> ranks;
    for (const eventlog::Entry& entry : entries) {
        QString band = bandText(entry);
        if (entry.bandRose)
            band += QStringLiteral(" \u25b2 rose");
        QString note = printedNote(entry.note);
        if (entry.struck)
            note =
                QStringLiteral("STRUCK OUT: %1. %2").arg(printedNote(entry.struck->reason), note);
        rows.push_back(
            {entryTime(event, entry), temperatureText(entry),
             entry.assessment.referral ? QStringLiteral("none") : qs(entry.assessment.total), band,
             ceilingText(entry), entry.decision, note.trimmed()});
        ranks.push_back(rankOf(entry));
    }
    w.table({QStringLiteral("Time"), QStringLiteral("Temperature"), QStringLiteral("Total"),
             QStringLiteral("Band"), QStringLiteral("WBGT ceiling"), QStringLiteral("Decision"),
             QStringLiteral("Note")},
            rows, {8, 17, 7, 17, 13, 17, 21}, [&](int row, int column) {
                if (entries[row].struck)
                    return QColor(128, 128, 128);
                if (column == 4 && entries[row].assessment.ceiling.shown())
                    return bandInk(3);
                return column == 3 && ranks[std::size_t(row)] >= 0
                           ? bandInk(ranks[std::size_t(row)])
                           : QColor(Qt::black);
            });
    for (const eventlog::Entry& entry : entries) {
        const Answer* wbgt = entry.assessment.answer("WBGT");
        if (wbgt && !wbgt->source.inputs.empty())
            w.smallLine(QStringLiteral("%1: question 1 from %2%3")
                            .arg(entryTime(event, entry), printedNote(qs(wbgt->source.inputs)),
                                 wbgt->source.kind == AnswerSource::Kind::Forecast
                                     ? QStringLiteral(". ") + kOpenMeteoCredit
                                     : QString()));
    }
    return w.finish(kRecordDisclaimer);
}

} // namespace orvane::ui
