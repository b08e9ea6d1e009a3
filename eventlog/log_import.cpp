// Taking in a day from a CSV: the log's side of "Import CSV…" and orvane-eval's import-csv.

#include "eventlog/event_log.h"

#include "eventlog/log_sql.h"

namespace orvane::eventlog {

using sql::failure;
using sql::run;
using sql::Step;

Result<ImportCount> EventLog::importDays(const QList<ImportedDay>& days) {
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    return sql::inWriteTransaction(db, path_, busyTimeoutMs_, [&]() -> Result<ImportCount> {
        ImportCount count;
        QSqlQuery query(db);
        for (const ImportedDay& day : days) {
            if (!run(query,
                     QStringLiteral("SELECT id FROM events WHERE name = :name AND place = :place "
                                    "AND date = :date ORDER BY id LIMIT 1"),
                     {{":name", day.event.name},
                      {":place", sql::text(day.event.place)},
                      {":date", day.event.date.toString(Qt::ISODate)}}))
                return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
            qint64 eventId = query.next() ? query.value(0).toLongLong() : 0;
            query.finish();
            if (eventId == 0) {
                if (!run(query,
                         QStringLiteral("INSERT INTO events (name, place, date, notes, created) "
                                        "VALUES (:name, :place, :date, '', :created)"),
                         {{":name", day.event.name},
                          {":place", sql::text(day.event.place)},
                          {":date", day.event.date.toString(Qt::ISODate)},
                          {":created", isoWithOffset(QDateTime::currentDateTime())}}))
                    return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
                eventId = query.lastInsertId().toLongLong();
            }
            count.events << eventId;
            for (Entry entry : day.entries) {
                entry.eventId = eventId;
                // The same assessment twice is the same event, instant and total.
                if (!run(query,
                         QStringLiteral("SELECT 1 FROM entries WHERE event_id = :event AND "
                                        "julianday(time) = julianday(:time) AND total IS :total"),
                         {{":event", eventId},
                          {":time", isoWithOffset(entry.time())},
                          {":total", sql::textOrNull(qs(entry.assessment.total))}}))
                    return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
                const bool there = query.next();
                query.finish();
                if (there) {
                    ++count.skipped;
                    continue;
                }
                const auto id = insertEntry(entry, entry.programVersion.isEmpty()
                                                       ? QStringLiteral(ORVANE_EVENTLOG_WRITER)
                                                       : entry.programVersion);
                if (!id)
                    return id.error();
                if (entry.struck &&
                    !run(query,
                         QStringLiteral("UPDATE entries SET struck_reason = :reason, struck_time "
                                        "= :time WHERE id = :id"),
                         {{":reason", entry.struck->reason},
                          {":time", isoWithOffset(entry.struck->time)},
                          {":id", *id}}))
                    return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
                ++count.added;
            }
        }
        return count;
    });
}

} // namespace orvane::eventlog
