#include "eventlog/event_csv.h"

#include "core/catalogue.h"
#include "core/evaluation.h"

namespace orvane::eventlog {

namespace {

QByteArray field(QString text) {
    if (!text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front()))
        text.prepend(u'\'');
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        bytes = '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

void row(QByteArray& out, const QStringList& fields) {
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        out += field(fields[i]);
    }
    out += "\r\n";
}

QString yesNo(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

// A question's title as the window shows it; its key where the catalogue does not know it.
QString title(const std::string& key) {
    const RiskFactor* factor = FindFactor(key);
    return factor ? qs(factor->label) : qs(key);
}

QString ceilingText(const Entry& entry) {
    if (!entry.ceilingJudged)
        return QStringLiteral("not judged");
    const CeilingJudgement& c = entry.assessment.ceiling;
    if (c.unknown)
        return QStringLiteral("unknown");
    const CeilingRule* rule = FindCeilingRule(c.level);
    return rule ? qs(rule->name) : QStringLiteral("none");
}

} // namespace

QString csv::pointsColumn(const QString& question) {
    return question + QStringLiteral(": points");
}

QByteArray eventCsv(const Event& event, const QList<Entry>& entries) {
    // Every question of the catalogue in the window's order, then any other question an entry
    // holds, so every answer has a column and the usual ones are always in the same place.
    std::vector<std::string> keys;
    for (const RiskFactor& factor : Catalogue())
        keys.emplace_back(factor.key);
    for (const Entry& entry : entries)
        for (const Answer& answer : entry.assessment.answers)
            if (std::find(keys.begin(), keys.end(), answer.key) == keys.end())
                keys.push_back(answer.key);

    QStringList header = csv::kLeading;
    for (const std::string& key : keys) {
        header << title(key);
        const RiskFactor* factor = FindFactor(key);
        if (!factor || factor->scored())
            header << csv::pointsColumn(title(key));
    }
    header << csv::kTrailing;

    QByteArray out;
    row(out, header);
    for (const Entry& entry : entries) {
        const Assessment& a = entry.assessment;
        QStringList fields{event.name,
                           event.place,
                           event.date.toString(Qt::ISODate),
                           QString::number(entry.id),
                           isoWithOffset(entry.time()),
                           qs(a.at.zone)};
        for (const std::string& key : keys) {
            const Answer* found = nullptr;
            for (const Answer& answer : a.answers)
                if (answer.key == key)
                    found = &answer;
            fields << (found ? qs(found->option) : QString());
            const RiskFactor* factor = FindFactor(key);
            if (!factor || factor->scored())
                fields << (found ? qs(found->points) : QString());
        }
        const Answer* wbgt = a.answer("WBGT");
        fields << qs(TemperatureSourceKey(a.temperatureSource()))
               << (a.wbgtF() ? QString::number(*a.wbgtF(), 'f', 1) : QString())
               << (wbgt ? qs(wbgt->source.inputs) : QString()) << qs(a.total)
               << (a.band ? qs(a.band->range) : QString()) << yesNo(entry.bandRose)
               << yesNo(a.referral) << ceilingText(entry) << entry.decision << entry.note
               << entry.programVersion << yesNo(entry.struck.has_value())
               << (entry.struck ? entry.struck->reason : QString())
               << (entry.struck ? isoWithOffset(entry.struck->time) : QString());
        row(out, fields);
    }
    return out;
}

} // namespace orvane::eventlog
