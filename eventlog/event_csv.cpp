#include "eventlog/event_csv.h"

#include "core/evaluation.h"

#include <QStringList>

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

} // namespace

QByteArray eventCsv(const Event& event, const QList<Entry>& entries) {
    // The twelve scored questions in the window's order, then any other question an entry
    // holds, so every answer has a column and the usual ones are always in the same place.
    QStringList questions;
    for (const std::string_view key : kBoxKeys)
        questions << QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    questions.swapItemsAt(0, 1); // the window asks for the WBGT first
    for (const Entry& entry : entries)
        for (const Answer& answer : entry.answers)
            if (!questions.contains(answer.question))
                questions << answer.question;

    QStringList header{"event", "place", "event date", "entry", "time", "time zone"};
    for (const QString& question : questions)
        header << question << question + " points";
    header << "temperature source"
           << "source inputs"
           << "total"
           << "band"
           << "band rose"
           << "referral"
           << "decision"
           << "note"
           << "program version"
           << "struck out"
           << "struck out reason"
           << "struck out time";

    QByteArray out;
    row(out, header);
    for (const Entry& entry : entries) {
        QStringList fields{event.name,
                           event.place,
                           event.date.toString(Qt::ISODate),
                           QString::number(entry.id),
                           isoWithOffset(entry.time),
                           entry.zone};
        for (const QString& question : questions) {
            const Answer* found = nullptr;
            for (const Answer& answer : entry.answers)
                if (answer.question == question)
                    found = &answer;
            fields << (found ? found->option : QString()) << (found ? found->points : QString());
        }
        // The total without the blank the window shows before it, so a spreadsheet sees a
        // number.
        fields << sourceName(entry.source) << entry.sourceInputs << entry.total.trimmed()
               << entry.band << yesNo(entry.bandRose) << yesNo(entry.referral) << entry.decision
               << entry.note << entry.programVersion << yesNo(entry.struck.has_value())
               << (entry.struck ? entry.struck->reason : QString())
               << (entry.struck ? isoWithOffset(entry.struck->time) : QString());
        row(out, fields);
    }
    return out;
}

} // namespace orvane::eventlog
