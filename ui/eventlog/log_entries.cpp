#include "ui/eventlog/log_entries.h"

#include "core/catalogue.h"
#include "core/evaluation.h"
#include "core/wbgt_table.h"

#include <QRegularExpression>
#include <QTextDocument>
#include <QTimeZone>

#include <cmath>

namespace orvane::ui {
namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

const eventlog::Answer* answerTo(const eventlog::Entry& entry, const char* key) {
    for (const eventlog::Answer& answer : entry.answers)
        if (answer.question == QLatin1String(key) && !answer.option.isEmpty())
            return &answer;
    return nullptr;
}

// The WBGT in °F for the timeline: as estimated or forecast where a tool gave it, else the
// middle of the option chosen (the open ends a little past their edge).
std::optional<double> wbgtOf(const eventlog::Entry& entry) {
    const eventlog::Answer* wbgt = answerTo(entry, "WBGT");
    if (!wbgt)
        return std::nullopt;
    static const QRegularExpression given(QStringLiteral("WBGT (\\d+(?:[.,]\\d+)?) \u00b0F"));
    if (const QRegularExpressionMatch m = given.match(entry.sourceInputs); m.hasMatch())
        return m.captured(1).replace(u',', u'.').toDouble();
    const auto options = FactorOptions("WBGT");
    constexpr double kMiddles[] = {71.0, 77.5, 84.0, 88.0};
    for (std::size_t i = 0; i < options.size() && i < std::size(kMiddles); ++i)
        if (qs(options[i]) == wbgt->option)
            return kMiddles[i];
    return std::nullopt;
}

std::optional<RiskBand> bandOf(const eventlog::Entry& entry) {
    const QByteArray document = entry.band.toUtf8();
    return BandByDocument(std::string_view(document.constData(), std::size_t(document.size())));
}

} // namespace

eventlog::Entry entryFor(const Assessment& a, const QString& decision, const QString& note) {
    eventlog::Entry entry;
    entry.time = a.calculated;
    entry.zone = QString::fromUtf8(a.calculated.timeZone().id());
    entry.referral = !a.total.has_value();
    entry.total = a.total.value_or(QString());
    entry.band = a.band;
    entry.decision = decision.trimmed();
    entry.note = note.trimmed();
    entry.source = eventlog::TemperatureSource::WbgtByHand;
    for (const Assessment::Answer& answer : a.answers) {
        entry.answers << eventlog::Answer{answer.key, answer.option, answer.points};
        if (answer.option.isEmpty())
            continue;
        if (answer.key == QLatin1String("Dry_Bulb")) {
            entry.source = eventlog::TemperatureSource::AirTemperature;
        } else if (answer.key == QLatin1String("WBGT")) {
            switch (answer.source.kind) {
            case AnswerSource::Kind::ByHand: break;
            case AnswerSource::Kind::Estimated:
                entry.source = eventlog::TemperatureSource::Estimated;
                break;
            case AnswerSource::Kind::Forecast:
                entry.source = eventlog::TemperatureSource::Forecast;
                break;
            }
            entry.sourceInputs = answer.source.inputs;
        }
    }
    return entry;
}

QString bandText(const eventlog::Entry& entry) {
    if (entry.referral)
        return QStringLiteral("medical referral");
    const auto band = bandOf(entry);
    return band ? qs(band->label) : QString();
}

QString temperatureText(const eventlog::Entry& entry) {
    const eventlog::Answer* answer = answerTo(entry, "WBGT");
    if (!answer)
        answer = answerTo(entry, "Dry_Bulb");
    if (!answer)
        return {};
    switch (entry.source) {
    case eventlog::TemperatureSource::WbgtByHand:
        return QStringLiteral("WBGT %1").arg(answer->option);
    case eventlog::TemperatureSource::Estimated:
        return QStringLiteral("WBGT %1 (estimated)").arg(answer->option);
    case eventlog::TemperatureSource::Forecast:
        return QStringLiteral("WBGT %1 (forecast)").arg(answer->option);
    case eventlog::TemperatureSource::AirTemperature:
        return QStringLiteral("air %1").arg(answer->option);
    }
    return {};
}

ChartModel timelineModel(const eventlog::Event& event, const QList<eventlog::Entry>& entries) {
    ChartModel m;
    m.zone =
        entries.isEmpty() ? QTimeZone::systemTimeZone() : QTimeZone(entries.front().zone.toUtf8());
    if (!m.zone.isValid())
        m.zone = QTimeZone(entries.front().time.offsetFromUtc());
    // The event's day, widened to take in every entry.
    qint64 from = QDateTime(event.date, QTime(6, 0), m.zone).toSecsSinceEpoch();
    qint64 to = QDateTime(event.date, QTime(20, 0), m.zone).toSecsSinceEpoch();
    for (const eventlog::Entry& entry : entries) {
        const qint64 at = entry.time.toSecsSinceEpoch();
        from = std::min(from, at - at % 3600);
        to = std::max(to, at - at % 3600 + 3600);
    }
    m.fromUtc = from;
    m.toUtc = to;
    m.left = {QStringLiteral("Total score"), 0, 100, 20};
    const double floors[] = {0, 55, 65, 74, 100};
    for (int rank = 0; rank < 4; ++rank)
        m.bands.push_back({floors[rank], floors[rank + 1], bandShade(rank), QString()});
    m.bands[1].label = QStringLiteral("56-65");
    m.bands[2].label = QStringLiteral("66-74");
    m.bands[3].label = QStringLiteral("75+");

    ChartSeries totals{QStringLiteral("Total"), QColor(20, 20, 20), false, {}};
    ChartSeries wbgt{QStringLiteral("WBGT \u00b0F (question 1)"), QColor(0, 90, 200), true, {}};
    for (const eventlog::Entry& entry : entries) {
        if (entry.struck)
            continue;
        const qint64 at = entry.time.toSecsSinceEpoch();
        std::optional<double> total;
        if (!entry.referral)
            total = ReadNumber(entry.total.toStdString());
        totals.points.push_back({at, total, entry.bandRose});
        if (const auto f = wbgtOf(entry))
            wbgt.points.push_back({at, f, false});
    }
    m.series.push_back(totals);
    if (!wbgt.points.empty()) {
        m.right = ChartAxis{QStringLiteral("WBGT \u00b0F"), 60, 100, 10};
        m.series.push_back(wbgt);
    }
    return m;
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
        QString note = entry.note;
        if (entry.struck)
            note = QStringLiteral("STRUCK OUT: %1. %2").arg(entry.struck->reason, note);
        rows.push_back({entry.time.toString(QStringLiteral("HH:mm")), temperatureText(entry),
                        entry.referral ? QStringLiteral("none") : entry.total, band, entry.decision,
                        note.trimmed()});
        const auto b = bandOf(entry);
        ranks.push_back(entry.referral ? 3 : b ? b->rank : -1);
    }
    w.table({QStringLiteral("Time"), QStringLiteral("Temperature"), QStringLiteral("Total"),
             QStringLiteral("Band"), QStringLiteral("Decision"), QStringLiteral("Note")},
            rows, {8, 20, 8, 22, 20, 22}, [&](int row, int column) {
                if (entries[row].struck)
                    return QColor(128, 128, 128);
                return column == 3 && ranks[std::size_t(row)] >= 0
                           ? bandInk(ranks[std::size_t(row)])
                           : QColor(Qt::black);
            });
    for (const eventlog::Entry& entry : entries)
        if (!entry.sourceInputs.isEmpty())
            w.smallLine(QStringLiteral("%1: question 1 from %2%3")
                            .arg(entry.time.toString(QStringLiteral("HH:mm")), entry.sourceInputs,
                                 entry.source == eventlog::TemperatureSource::Forecast
                                     ? QStringLiteral(". ") + kOpenMeteoCredit
                                     : QString()));
    return w.finish(kRecordDisclaimer);
}

} // namespace orvane::ui
