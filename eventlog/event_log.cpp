#include "eventlog/event_log.h"

#include "core/evaluation.h"
#include "core/forecast_plan.h"
#include "eventlog/event_csv.h"
#include "eventlog/log_schema.h"
#include "eventlog/log_sql.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QTimeZone>

#include <cstdlib>

namespace orvane::eventlog {
namespace {

using Kind = LogError::Kind;
using sql::failure;
using sql::invalid;
using sql::named;
using sql::run;
using sql::Step;

QString zoneOf(const QDateTime& time) {
    const std::string id = assessedAt(time).zone;
    // A bare offset has no IANA id; Qt's name for it ("UTC+10:30") at least says what it is.
    return id.empty() ? QString::fromUtf8(QTimeZone(time.offsetFromUtc()).id()) : qs(id);
}

QDateTime timeFrom(const QVariant& stored) {
    return QDateTime::fromString(stored.toString(), Qt::ISODate);
}

// How the file stores a ceiling: its level's key, "unknown", or NULL for none judged.
QVariant ceilingValue(const Entry& entry) {
    if (!entry.ceilingJudged)
        return QVariant(QMetaType::fromType<QString>());
    const CeilingJudgement& c = entry.assessment.ceiling;
    return c.unknown ? QStringLiteral("unknown") : qs(CeilingKey(c.level));
}

// The ceiling as stored, with the words the program shows for it where the answers still lead
// to the same judgement (they always do, unless the file was edited by hand).
void readCeiling(Entry& entry, const QVariant& stored) {
    entry.ceilingJudged = !stored.isNull();
    if (!entry.ceilingJudged)
        return;
    const std::string key = utf8(stored.toString());
    CeilingJudgement judged;
    judged.unknown = key == "unknown";
    judged.level = CeilingFromKey(key).value_or(CeilingLevel::None);
    const CeilingJudgement again = JudgeCeiling(entry.assessment.question1());
    if (again.level == judged.level && again.unknown == judged.unknown)
        judged.text = again.text;
    entry.assessment.ceiling = judged;
}

Event eventFrom(const QSqlQuery& q) {
    Event event;
    event.id = q.value(0).toLongLong();
    event.name = sql::cutTo(q.value(1).toString(), q.value(2).toLongLong(), kMaxNameLength);
    event.place = sql::cutTo(q.value(3).toString(), q.value(4).toLongLong(), kMaxNameLength);
    event.date = QDate::fromString(q.value(5).toString(), Qt::ISODate);
    event.notes = sql::cutTo(q.value(6).toString(), q.value(7).toLongLong(), kMaxNoteLength);
    event.created = timeFrom(q.value(8));
    event.entryCount = q.value(9).toInt();
    event.struckCount = q.value(10).toInt();
    return event;
}

const QString kEventColumns =
    QStringLiteral("SELECT id, %1, %2, date, %3, created, "
                   "(SELECT count(*) FROM entries WHERE event_id = events.id), "
                   "(SELECT count(*) FROM entries WHERE event_id = events.id AND struck_reason IS "
                   "NOT NULL) FROM events")
        .arg(sql::limited("name", kMaxNameLength), sql::limited("place", kMaxNameLength),
             sql::limited("notes", kMaxNoteLength));

// The question's answer in an entry being read, made when first met.
Answer& answerOf(Assessment& a, const QString& key) {
    const std::string k = utf8(key);
    for (Answer& answer : a.answers)
        if (answer.key == k)
            return answer;
    return a.answers.emplace_back(Answer{k, {}, {}, {}});
}

QString sourceLabel(TemperatureSource source) {
    return qs(TemperatureSourceKey(source));
}

} // namespace

QString isoWithOffset(const QDateTime& time) {
    if (!time.isValid())
        return {};
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return QLocale::c().toString(time.toOffsetFromUtc(offset), u"yyyy-MM-dd'T'HH:mm:ss") +
           QString::asprintf("%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
}

Result<EventLog> EventLog::open(const QString& path, Access access, Options options) {
    const QFileInfo info(path);
    const QString file = info.absoluteFilePath();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return LogError{Kind::Failed,
                        QStringLiteral("The event log %1 cannot be opened: Qt's SQLite driver is "
                                       "missing (Debian package libqt6sql6-sqlite).")
                            .arg(named(file))};
    if (info.isDir())
        return LogError{Kind::NotALog,
                        QStringLiteral("%1 is a folder, not an event log.").arg(named(file))};
    // A pipe, a device or a socket would block SQLite's first read for ever, or be changed by
    // it: only a regular file (or a link to one) can be a log.
    if (info.exists() && !info.isFile())
        return LogError{Kind::NotALog, QStringLiteral("%1 is not a regular file, so it cannot be "
                                                      "an event log. It was left as it is.")
                                           .arg(named(file))};
    if (!info.exists()) {
        if (access != Access::Create)
            return LogError{Kind::Missing,
                            QStringLiteral("There is no event log at %1.").arg(named(file))};
        if (!QDir().mkpath(info.absolutePath()))
            return LogError{Kind::ReadOnly,
                            QStringLiteral("The folder %1 for the event log could not be made.")
                                .arg(named(info.absolutePath()))};
    }

    static QAtomicInteger<quint64> opened;
    EventLog log(QStringLiteral("orvane-eventlog-%1").arg(opened.fetchAndAddRelaxed(1)), file,
                 options.busyTimeoutMs);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), log.connection_);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1%2")
                             .arg(options.busyTimeoutMs)
                             .arg(access == Access::ReadOnly ? ";QSQLITE_OPEN_READONLY" : ""));
    if (!db.open()) {
        if (!info.exists())
            return LogError{Kind::ReadOnly,
                            QStringLiteral("The event log %1 could not be made in its folder: %2.")
                                .arg(named(file), db.lastError().databaseText())};
        return failure(file, db.lastError(), Step::Open, options.busyTimeoutMs);
    }
    if (auto prepared = log.prepare(access); !prepared)
        return prepared.error();
    return log;
}

Result<> EventLog::prepare(Access access) {
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    const auto header = schema::readHeader(db, path_, busyTimeoutMs_);
    if (!header)
        return header.error();
    if (const auto refused = schema::refusal(*header, path_))
        return *refused;
    if (header->empty() && access == Access::ReadOnly)
        return LogError{Kind::Missing,
                        QStringLiteral("%1 holds no event log yet.").arg(named(path_))};
    version_ = header->empty() ? kSchemaVersion : header->version;

    QSqlQuery query(db);
    QStringList pragmas{QStringLiteral("PRAGMA foreign_keys = ON")};
    if (access != Access::ReadOnly) {
        // The rollback journal, not WAL: WAL needs shared memory on one host, breaks on
        // network folders and cannot always be opened read-only.
        pragmas << QStringLiteral("PRAGMA journal_mode = DELETE")
                << QStringLiteral("PRAGMA synchronous = FULL");
        if (testing::hooks().maxPageCount > 0)
            pragmas
                << QStringLiteral("PRAGMA max_page_count = %1").arg(testing::hooks().maxPageCount);
    }
    for (const QString& pragma : pragmas) {
        if (!run(query, pragma))
            return failure(path_, query.lastError(), Step::Open, busyTimeoutMs_);
        if (pragma.contains(QStringLiteral("journal_mode")) &&
            (!query.next() || query.value(0).toString() != QStringLiteral("delete")))
            return LogError{Kind::Failed, QStringLiteral("The event log %1 could not be set to "
                                                         "its rollback journal. It was left as "
                                                         "it is.")
                                              .arg(named(path_))};
        query.finish();
    }
    if (access == Access::ReadOnly || header->version == kSchemaVersion)
        return Done{};
    return sql::inWriteTransaction(db, path_, busyTimeoutMs_, [&]() -> Result<> {
        // Another copy of the program may have made or upgraded the log since the header was
        // read.
        const auto again = schema::readHeader(db, path_, busyTimeoutMs_);
        if (!again)
            return again.error();
        if (const auto refused = schema::refusal(*again, path_))
            return *refused;
        if (again->version == kSchemaVersion)
            return Done{};
        auto done = schema::bringUpToDate(db, path_, busyTimeoutMs_, *again);
        if (done)
            version_ = kSchemaVersion;
        return done;
    });
}

EventLog::EventLog(EventLog&& other) noexcept
    : connection_(std::exchange(other.connection_, QString())), path_(std::move(other.path_)),
      busyTimeoutMs_(other.busyTimeoutMs_), version_(other.version_) {}

EventLog& EventLog::operator=(EventLog&& other) noexcept {
    if (this != &other) {
        close();
        connection_ = std::exchange(other.connection_, QString());
        path_ = std::move(other.path_);
        busyTimeoutMs_ = other.busyTimeoutMs_;
        version_ = other.version_;
    }
    return *this;
}

EventLog::~EventLog() {
    close();
}

void EventLog::close() {
    if (connection_.isEmpty())
        return;
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
    connection_.clear();
}

Result<QList<Event>> EventLog::events() const {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (!run(query, kEventColumns + QStringLiteral(" ORDER BY date DESC, id DESC")))
        return failure(path_, query.lastError(), Step::Read, busyTimeoutMs_);
    QList<Event> events;
    while (query.next())
        events << eventFrom(query);
    if (query.lastError().isValid())
        return failure(path_, query.lastError(), Step::Read, busyTimeoutMs_);
    return events;
}

Result<Event> EventLog::event(qint64 id) const {
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (!run(query, kEventColumns + QStringLiteral(" WHERE id = :id"), {{":id", id}}))
        return failure(path_, query.lastError(), Step::Read, busyTimeoutMs_);
    if (!query.next())
        return invalid(
            QStringLiteral("The event log %1 has no event %2.").arg(named(path_)).arg(id));
    return eventFrom(query);
}

Result<QList<Entry>> EventLog::entries(qint64 eventId) const {
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    // Format 1 kept neither a tool's WBGT as a number nor a ceiling.
    const QString format2 =
        version_ >= 2 ? QStringLiteral("wbgt_f, ceiling") : QStringLiteral("NULL, NULL");
    return sql::inReadTransaction(db, path_, busyTimeoutMs_, [&]() -> Result<QList<Entry>> {
        QSqlQuery q(db);
        // julianday() reads the offsets, so times written in different zones sort as instants.
        if (!run(q,
                 QStringLiteral("SELECT id, time, time_zone, temperature_source, %1, referral, "
                                "total, band, %2, %3, program_version, %4, struck_time, %5 "
                                "FROM entries WHERE event_id = :event ORDER BY julianday(time), id")
                     .arg(sql::limited("source_inputs", kMaxNoteLength),
                          sql::limited("decision", kMaxNameLength),
                          sql::limited("note", kMaxNoteLength),
                          sql::limited("struck_reason", kMaxNoteLength), format2),
                 {{":event", eventId}}))
            return failure(path_, q.lastError(), Step::Read, busyTimeoutMs_);
        QList<Entry> entries;
        QHash<qint64, qsizetype> index;
        std::vector<QVariant> ceilings;
        while (q.next()) {
            Entry entry;
            entry.id = q.value(0).toLongLong();
            entry.eventId = eventId;
            const QDateTime time = timeFrom(q.value(1));
            entry.assessment.at = {time.isValid() ? time.toSecsSinceEpoch() : 0,
                                   time.isValid() ? time.offsetFromUtc() : 0,
                                   utf8(q.value(2).toString())};
            // Question 1's answer is filled in with the answers below.
            const auto source = TemperatureSourceFromKey(utf8(q.value(3).toString()))
                                    .value_or(TemperatureSource::WbgtByHand);
            AnswerSource tool;
            tool.kind = source == TemperatureSource::Estimated  ? AnswerSource::Kind::Estimated
                        : source == TemperatureSource::Forecast ? AnswerSource::Kind::Forecast
                                                                : AnswerSource::Kind::ByHand;
            tool.inputs =
                utf8(sql::cutTo(q.value(4).toString(), q.value(5).toLongLong(), kMaxNoteLength));
            if (!q.value(17).isNull() && tool.kind != AnswerSource::Kind::ByHand)
                tool.wbgtF = q.value(17).toDouble();
            if (tool.kind != AnswerSource::Kind::ByHand)
                answerOf(entry.assessment, QStringLiteral("WBGT")).source = tool;
            entry.assessment.referral = q.value(6).toInt() != 0;
            entry.assessment.total = utf8(q.value(7).toString());
            const std::string band = utf8(q.value(8).toString());
            entry.assessment.band = BandByRange(band);
            if (!entry.assessment.band)
                entry.assessment.band = BandByDocument(band); // as format 1 stored it
            entry.decision =
                sql::cutTo(q.value(9).toString(), q.value(10).toLongLong(), kMaxNameLength);
            entry.note =
                sql::cutTo(q.value(11).toString(), q.value(12).toLongLong(), kMaxNoteLength);
            entry.programVersion = q.value(13).toString();
            if (!q.value(14).isNull())
                entry.struck = StruckOut{
                    sql::cutTo(q.value(14).toString(), q.value(15).toLongLong(), kMaxNoteLength),
                    timeFrom(q.value(16))};
            ceilings.push_back(q.value(18));
            index.insert(entry.id, entries.size());
            entries << entry;
        }
        if (q.lastError().isValid() ||
            !run(q,
                 QStringLiteral("SELECT entry_id, question, option_text, points FROM answers "
                                "WHERE entry_id IN (SELECT id FROM entries WHERE event_id = "
                                ":event) ORDER BY entry_id, position"),
                 {{":event", eventId}}))
            return failure(path_, q.lastError(), Step::Read, busyTimeoutMs_);
        while (q.next()) {
            const auto at = index.constFind(q.value(0).toLongLong());
            if (at == index.constEnd())
                continue;
            Answer& answer = answerOf(entries[*at].assessment, q.value(1).toString());
            answer.option = utf8(q.value(2).toString().left(kMaxNameLength));
            answer.points = utf8(q.value(3).toString().left(kMaxNameLength));
        }
        if (q.lastError().isValid())
            return failure(path_, q.lastError(), Step::Read, busyTimeoutMs_);

        // Bands only ever rise with the total, so a different band at a higher total is a
        // higher band, whatever the bands are called.
        const Entry* previous = nullptr;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            Entry& entry = entries[i];
            readCeiling(entry, ceilings[std::size_t(i)]);
            if (entry.struck || entry.assessment.referral)
                continue;
            entry.bandRose =
                previous && entry.assessment.band != previous->assessment.band &&
                ReadNumber(entry.assessment.total) > ReadNumber(previous->assessment.total);
            previous = &entry;
        }
        return entries;
    });
}

Result<QByteArray> EventLog::csv(qint64 eventId) const {
    // Events are never changed, so the two reads need no common snapshot.
    const auto found = event(eventId);
    if (!found)
        return found.error();
    const auto list = entries(eventId);
    if (!list)
        return list.error();
    return eventCsv(*found, *list);
}

Result<qint64> EventLog::addEvent(const Event& event) {
    if (event.name.trimmed().isEmpty())
        return invalid(QStringLiteral("An event needs a name."));
    if (event.name.size() > kMaxNameLength || event.place.size() > kMaxNameLength ||
        event.notes.size() > kMaxNoteLength)
        return invalid(QStringLiteral("An event's name and place take up to %1 characters, its "
                                      "notes up to %2.")
                           .arg(kMaxNameLength)
                           .arg(kMaxNoteLength));
    if (!event.date.isValid() || event.date.year() < 1 || event.date.year() > 9999)
        return invalid(QStringLiteral("An event needs its date."));
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    return sql::inWriteTransaction(db, path_, busyTimeoutMs_, [&]() -> Result<qint64> {
        QSqlQuery query(db);
        if (!run(query,
                 QStringLiteral("INSERT INTO events (name, place, date, notes, created) "
                                "VALUES (:name, :place, :date, :notes, :created)"),
                 {{":name", event.name},
                  {":place", sql::text(event.place)},
                  {":date", event.date.toString(Qt::ISODate)},
                  {":notes", sql::text(event.notes)},
                  {":created", isoWithOffset(QDateTime::currentDateTime())}}))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        return query.lastInsertId().toLongLong();
    });
}

Result<qint64> EventLog::addEntry(const Entry& entry) {
    const Assessment& a = entry.assessment;
    if (!CivilUtc(a.at.utcSeconds) || a.at.utcSeconds == 0)
        return invalid(QStringLiteral("An entry needs the time it was assessed."));
    if (a.referral != a.total.empty())
        return invalid(QStringLiteral("An entry has either a total or a referral."));
    if (a.referral && a.band)
        return invalid(QStringLiteral("A referral has no band."));
    if (entry.note.size() > kMaxNoteLength || entry.decision.size() > kMaxNameLength)
        return invalid(QStringLiteral("A note takes up to %1 characters, a decision up to %2.")
                           .arg(kMaxNoteLength)
                           .arg(kMaxNameLength));
    for (const Answer& answer : a.answers)
        if (answer.key.empty())
            return invalid(QStringLiteral("Every answer of an entry names its question."));
    const Answer* wbgt = a.answer("WBGT");
    const QString inputs = wbgt ? qs(wbgt->source.inputs) : QString();
    const QDateTime time = entry.time();
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    return sql::inWriteTransaction(db, path_, busyTimeoutMs_, [&]() -> Result<qint64> {
        QSqlQuery query(db);
        if (!run(query, QStringLiteral("SELECT 1 FROM events WHERE id = :event"),
                 {{":event", entry.eventId}}))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        if (!query.next())
            return invalid(QStringLiteral("The event log %1 has no event %2.")
                               .arg(named(path_))
                               .arg(entry.eventId));
        query.finish();
        if (!run(query,
                 QStringLiteral(
                     "INSERT INTO entries (event_id, time, time_zone, temperature_source, "
                     "source_inputs, wbgt_f, referral, total, band, ceiling, decision, note, "
                     "program_version) VALUES (:event, :time, :zone, :source, :inputs, :wbgt, "
                     ":referral, :total, :band, :ceiling, :decision, :note, :version)"),
                 {{":event", entry.eventId},
                  {":time", isoWithOffset(time)},
                  {":zone", a.at.zone.empty() ? zoneOf(time) : qs(a.at.zone)},
                  {":source", sourceLabel(a.temperatureSource())},
                  {":inputs", sql::textOrNull(inputs)},
                  {":wbgt", sql::numberOrNull(a.wbgtF())},
                  {":referral", a.referral ? 1 : 0},
                  {":total", sql::textOrNull(qs(a.total))},
                  {":band", sql::textOrNull(a.band ? qs(a.band->range) : QString())},
                  {":ceiling", ceilingValue(entry)},
                  {":decision", sql::text(entry.decision)},
                  {":note", sql::text(entry.note)},
                  {":version", QStringLiteral(ORVANE_EVENTLOG_WRITER)}}))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        const qint64 id = query.lastInsertId().toLongLong();
        if (!query.prepare(QStringLiteral("INSERT INTO answers (entry_id, position, question, "
                                          "option_text, points) VALUES (:entry, :position, "
                                          ":question, :option, :points)")))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        for (std::size_t i = 0; i < a.answers.size(); ++i) {
            query.bindValue(QStringLiteral(":entry"), id);
            query.bindValue(QStringLiteral(":position"), qint64(i));
            query.bindValue(QStringLiteral(":question"), qs(a.answers[i].key));
            query.bindValue(QStringLiteral(":option"), sql::text(qs(a.answers[i].option)));
            query.bindValue(QStringLiteral(":points"), sql::text(qs(a.answers[i].points)));
            if (!query.exec())
                return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        }
        return id;
    });
}

Result<> EventLog::strikeOut(qint64 entryId, const QString& reason) {
    if (reason.trimmed().isEmpty())
        return invalid(QStringLiteral("Striking out an entry needs a reason."));
    if (reason.size() > kMaxNoteLength)
        return invalid(QStringLiteral("A reason takes up to %1 characters.").arg(kMaxNoteLength));
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    return sql::inWriteTransaction(db, path_, busyTimeoutMs_, [&]() -> Result<> {
        QSqlQuery query(db);
        if (!run(query,
                 QStringLiteral("SELECT struck_reason IS NOT NULL FROM entries WHERE id = :id"),
                 {{":id", entryId}}))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        if (!query.next())
            return invalid(
                QStringLiteral("The event log %1 has no entry %2.").arg(named(path_)).arg(entryId));
        if (query.value(0).toBool())
            return invalid(QStringLiteral("Entry %1 is struck out already.").arg(entryId));
        query.finish();
        if (!run(query,
                 QStringLiteral("UPDATE entries SET struck_reason = :reason, struck_time = :time "
                                "WHERE id = :id"),
                 {{":reason", reason},
                  {":time", isoWithOffset(QDateTime::currentDateTime())},
                  {":id", entryId}}))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        return Done{};
    });
}

} // namespace orvane::eventlog
