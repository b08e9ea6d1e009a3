#include "eventlog/event_log.h"

#include "core/evaluation.h"
#include "eventlog/event_csv.h"
#include "eventlog/test_hooks.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <QVariant>

#include <cstdlib>

namespace orvane::eventlog {

namespace testing {
namespace {
Hooks& hooks() {
    static Hooks installed;
    return installed;
}
} // namespace
void setHooks(Hooks hooks) {
    testing::hooks() = std::move(hooks);
}
} // namespace testing

namespace {

using Kind = LogError::Kind;

// "ORLG" in the file's header: tells an event log from any other SQLite file.
constexpr int kApplicationId = 0x4f524c47;

// The file format. The triggers hold the log's promises in the file itself, so no program,
// this one in a later version included, can change or remove an entry there: the only change
// an entry takes is being struck out, once.
constexpr const char* kSchema[] = {
    R"(CREATE TABLE events (
        id INTEGER PRIMARY KEY,
        name TEXT NOT NULL CHECK (name <> ''),
        place TEXT NOT NULL DEFAULT '',
        date TEXT NOT NULL CHECK (date GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
        notes TEXT NOT NULL DEFAULT '',
        created TEXT NOT NULL))",
    R"(CREATE TABLE entries (
        id INTEGER PRIMARY KEY,
        event_id INTEGER NOT NULL REFERENCES events (id),
        time TEXT NOT NULL,
        time_zone TEXT NOT NULL,
        temperature_source TEXT NOT NULL CHECK (temperature_source IN
            ('wbgt-by-hand', 'estimated', 'forecast', 'air-temperature')),
        source_inputs TEXT,
        referral INTEGER NOT NULL CHECK (referral IN (0, 1)),
        total TEXT CHECK ((total IS NULL) = (referral = 1)),
        band TEXT CHECK (band IS NULL OR referral = 0),
        decision TEXT NOT NULL DEFAULT '',
        note TEXT NOT NULL DEFAULT '',
        program_version TEXT NOT NULL,
        struck_reason TEXT CHECK (struck_reason IS NULL OR struck_reason <> ''),
        struck_time TEXT CHECK ((struck_time IS NULL) = (struck_reason IS NULL))))",
    "CREATE INDEX entries_of_event ON entries (event_id)",
    R"(CREATE TABLE answers (
        entry_id INTEGER NOT NULL REFERENCES entries (id),
        position INTEGER NOT NULL,
        question TEXT NOT NULL CHECK (question <> ''),
        option_text TEXT NOT NULL,
        points TEXT NOT NULL,
        PRIMARY KEY (entry_id, position)) WITHOUT ROWID)",
    R"(CREATE TRIGGER entries_are_not_changed BEFORE UPDATE OF id, event_id, time, time_zone,
        temperature_source, source_inputs, referral, total, band, decision, note,
        program_version ON entries
        BEGIN SELECT RAISE(ABORT, 'an entry is never changed: add a correction instead'); END)",
    R"(CREATE TRIGGER entries_are_struck_out_once BEFORE UPDATE OF struck_reason, struck_time
        ON entries WHEN OLD.struck_reason IS NOT NULL
        BEGIN SELECT RAISE(ABORT, 'an entry is struck out only once'); END)",
    R"(CREATE TRIGGER entries_are_kept BEFORE DELETE ON entries
        BEGIN SELECT RAISE(ABORT, 'an entry is never deleted: strike it out instead'); END)",
    R"(CREATE TRIGGER answers_are_not_changed BEFORE UPDATE ON answers
        BEGIN SELECT RAISE(ABORT, 'an answer is never changed'); END)",
    R"(CREATE TRIGGER answers_are_kept BEFORE DELETE ON answers
        BEGIN SELECT RAISE(ABORT, 'an answer is never deleted'); END)",
};

// SQLite's primary result codes that call for their own message; the driver reports the
// extended code, whose low byte is the primary one.
enum SqliteCode {
    kPerm = 3,
    kBusy = 5,
    kLocked = 6,
    kReadOnly = 8,
    kCorrupt = 11,
    kFull = 13,
    kCantOpen = 14,
    kNotADatabase = 26,
};
constexpr int kReadOnlyRollback = kReadOnly | (3 << 8);

enum class Step { Open, Read, Write };

QString named(const QString& path) {
    return '"' + QDir::toNativeSeparators(path) + '"';
}

LogError failure(const QString& path, const QSqlError& error, Step step, int busyTimeoutMs) {
    bool known = false;
    const int code = error.nativeErrorCode().toInt(&known);
    const QString file = named(path);
    const QString detail = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    const QString unchanged = step == Step::Write ? QStringLiteral(" Nothing was written.")
                                                  : QStringLiteral(" It was left as it is.");
    if (known && code == kReadOnlyRollback)
        return {Kind::ReadOnly,
                QStringLiteral("The event log %1 holds a write that a program stopped in the "
                               "middle of. Open it once in Solvane Calculator, which undoes that "
                               "write, before reading it here. It was left as it is.")
                    .arg(file)};
    switch (known ? code & 0xff : -1) {
    case kBusy:
    case kLocked:
        return {Kind::Busy, QStringLiteral("The event log %1 is in use by another program, or "
                                           "another copy of this one, and stayed locked for %2 "
                                           "seconds.%3 Please try again.")
                                .arg(file)
                                .arg(busyTimeoutMs / 1000.0)
                                .arg(unchanged)};
    case kPerm:
    case kCantOpen:
        if (step != Step::Write)
            break;
        [[fallthrough]]; // a journal that cannot be made beside the file: the folder is read-only
    case kReadOnly:
        return {Kind::ReadOnly,
                QStringLiteral("The event log %1 can only be read: the file or its folder is "
                               "read-only.%2")
                    .arg(file, unchanged)};
    case kFull:
        return {Kind::Full, QStringLiteral("The disk holding the event log %1 is full.%2 Free "
                                           "some space and try again.")
                                .arg(file, unchanged)};
    case kNotADatabase:
        return {Kind::NotALog,
                QStringLiteral("%1 is not an event log: it is not a database. It was left as it "
                               "is.")
                    .arg(file)};
    case kCorrupt:
        return {Kind::Damaged,
                QStringLiteral("The event log %1 is damaged (%2). It was left as it is; keep a "
                               "copy of it before anything tries to repair it.")
                    .arg(file, detail)};
    default: break;
    }
    return {Kind::Failed, QStringLiteral("The event log %1 could not be %2: %3.%4")
                              .arg(file,
                                   step == Step::Open   ? QStringLiteral("opened")
                                   : step == Step::Read ? QStringLiteral("read")
                                                        : QStringLiteral("written"),
                                   detail, step == Step::Read ? QString() : unchanged)};
}

LogError invalid(const QString& what) {
    return {Kind::Invalid, what};
}

// Prepares and runs one statement with `values` bound in order.
bool run(QSqlQuery& query, const QString& sql, const QVariantList& values = {}) {
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return false;
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec();
}

// Qt binds a null QString as SQL NULL; an empty text is still a text.
QString text(const QString& value) {
    return value.isNull() ? QStringLiteral("") : value;
}

QVariant textOrNull(const QString& text) {
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

QString zoneOf(const QDateTime& time) {
    QByteArray id;
    switch (time.timeSpec()) {
    case Qt::TimeZone: id = time.timeZone().id(); break;
    case Qt::LocalTime: id = QTimeZone::systemTimeZoneId(); break;
    case Qt::UTC: id = "UTC"; break;
    case Qt::OffsetFromUTC: break;
    }
    // A bare offset has no IANA id; Qt's name for it ("UTC+10:30") at least says what it is.
    return QString::fromUtf8(id.isEmpty() ? QTimeZone(time.offsetFromUtc()).id() : id);
}

QDateTime timeFrom(const QVariant& stored) {
    return QDateTime::fromString(stored.toString(), Qt::ISODate);
}

// Runs `body` (which returns a Result) as one write transaction. BEGIN IMMEDIATE takes the
// write lock before anything is read, so waiting for another writer is the busy timeout's job
// and can never end in a deadlock between two readers that both want to write.
template <class Body>
auto inWriteTransaction(const QSqlDatabase& db, const QString& path, int busyTimeoutMs, Body body)
    -> decltype(body()) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failure(path, query.lastError(), Step::Write, busyTimeoutMs);
    auto result = body();
    if (result && testing::hooks().insideWrite)
        testing::hooks().insideWrite();
    if (result && !query.exec(QStringLiteral("COMMIT")))
        result = failure(path, query.lastError(), Step::Write, busyTimeoutMs);
    if (!result)
        query.exec(QStringLiteral("ROLLBACK")); // fails harmlessly where SQLite rolled back
    return result;
}

// One snapshot for queries that read more than one statement, so another copy of the program
// committing in between cannot be half seen.
template <class Body>
auto inReadTransaction(const QSqlDatabase& db, const QString& path, int busyTimeoutMs, Body body)
    -> decltype(body()) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN")))
        return failure(path, query.lastError(), Step::Read, busyTimeoutMs);
    auto result = body();
    query.exec(result ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"));
    return result;
}

struct Header {
    int applicationId = 0;
    int version = 0;
    int objects = 0; // tables, indexes and triggers of any kind
};

Result<Header> readHeader(const QSqlDatabase& db, const QString& path, int busyTimeoutMs) {
    QSqlQuery query(db);
    if (!run(query, QStringLiteral("SELECT (SELECT application_id FROM pragma_application_id),"
                                   " (SELECT user_version FROM pragma_user_version),"
                                   " (SELECT count(*) FROM sqlite_master)")) ||
        !query.next())
        return failure(path, query.lastError(), Step::Open, busyTimeoutMs);
    return Header{query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt()};
}

Event eventFrom(const QSqlQuery& query) {
    Event event;
    event.id = query.value(0).toLongLong();
    event.name = query.value(1).toString();
    event.place = query.value(2).toString();
    event.date = QDate::fromString(query.value(3).toString(), Qt::ISODate);
    event.notes = query.value(4).toString();
    event.created = timeFrom(query.value(5));
    event.entryCount = query.value(6).toInt();
    return event;
}

const QString kEventColumns =
    QStringLiteral("SELECT id, name, place, date, notes, created, (SELECT count(*) FROM entries "
                   "WHERE event_id = events.id) FROM events");

} // namespace

QString sourceName(TemperatureSource source) {
    switch (source) {
    case TemperatureSource::WbgtByHand: return QStringLiteral("wbgt-by-hand");
    case TemperatureSource::Estimated: return QStringLiteral("estimated");
    case TemperatureSource::Forecast: return QStringLiteral("forecast");
    case TemperatureSource::AirTemperature: return QStringLiteral("air-temperature");
    }
    return {};
}

std::optional<TemperatureSource> sourceFromName(const QString& name) {
    for (const auto source : {TemperatureSource::WbgtByHand, TemperatureSource::Estimated,
                              TemperatureSource::Forecast, TemperatureSource::AirTemperature})
        if (sourceName(source) == name)
            return source;
    return std::nullopt;
}

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
    const auto header = readHeader(db, path_, busyTimeoutMs_);
    if (!header)
        return header.error();
    const bool empty = header->applicationId == 0 && header->version == 0 && header->objects == 0;
    if (!empty && header->applicationId != kApplicationId)
        return LogError{Kind::NotALog,
                        QStringLiteral("%1 is a database, but not an event log of Solvane "
                                       "Calculator. It was left as it is.")
                            .arg(named(path_))};
    if (header->version > kSchemaVersion)
        return LogError{Kind::Newer,
                        QStringLiteral("The event log %1 was written by a newer version of "
                                       "Solvane Calculator (log format %2; this version knows "
                                       "format %3). It was left as it is: use the newer version "
                                       "with it.")
                            .arg(named(path_))
                            .arg(header->version)
                            .arg(kSchemaVersion)};
    // An older format would be brought up to date here, in one write transaction; format 1 is
    // the first.
    if (empty && access == Access::ReadOnly)
        return LogError{Kind::Missing,
                        QStringLiteral("%1 holds no event log yet.").arg(named(path_))};

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
    if (!empty)
        return Done{};
    return inWriteTransaction(db, path_, busyTimeoutMs_, [&]() -> Result<> {
        // Another copy of the program may have made the log since the header was read.
        const auto again = readHeader(db, path_, busyTimeoutMs_);
        if (!again)
            return again.error();
        if (again->version == kSchemaVersion && again->applicationId == kApplicationId)
            return Done{};
        for (const char* statement : kSchema)
            if (!run(query, QString::fromUtf8(statement)))
                return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        if (!run(query, QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId)) ||
            !run(query, QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        return Done{};
    });
}

EventLog::EventLog(EventLog&& other) noexcept
    : connection_(std::exchange(other.connection_, QString())), path_(std::move(other.path_)),
      busyTimeoutMs_(other.busyTimeoutMs_) {}

EventLog& EventLog::operator=(EventLog&& other) noexcept {
    if (this != &other) {
        close();
        connection_ = std::exchange(other.connection_, QString());
        path_ = std::move(other.path_);
        busyTimeoutMs_ = other.busyTimeoutMs_;
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
    if (!run(query, kEventColumns + QStringLiteral(" WHERE id = ?"), {id}))
        return failure(path_, query.lastError(), Step::Read, busyTimeoutMs_);
    if (!query.next())
        return invalid(
            QStringLiteral("The event log %1 has no event %2.").arg(named(path_)).arg(id));
    return eventFrom(query);
}

Result<QList<Entry>> EventLog::entries(qint64 eventId) const {
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    return inReadTransaction(db, path_, busyTimeoutMs_, [&]() -> Result<QList<Entry>> {
        QSqlQuery query(db);
        // julianday() reads the offsets, so times written in different zones sort as instants.
        if (!run(query,
                 QStringLiteral("SELECT id, time, time_zone, temperature_source, source_inputs, "
                                "referral, total, band, decision, note, program_version, "
                                "struck_reason, struck_time FROM entries WHERE event_id = ? "
                                "ORDER BY julianday(time), id"),
                 {eventId}))
            return failure(path_, query.lastError(), Step::Read, busyTimeoutMs_);
        QList<Entry> entries;
        QHash<qint64, qsizetype> index;
        while (query.next()) {
            Entry entry;
            entry.id = query.value(0).toLongLong();
            entry.eventId = eventId;
            entry.time = timeFrom(query.value(1));
            entry.zone = query.value(2).toString();
            entry.source =
                sourceFromName(query.value(3).toString()).value_or(TemperatureSource::WbgtByHand);
            entry.sourceInputs = query.value(4).toString();
            entry.referral = query.value(5).toInt() != 0;
            entry.total = query.value(6).toString();
            entry.band = query.value(7).toString();
            entry.decision = query.value(8).toString();
            entry.note = query.value(9).toString();
            entry.programVersion = query.value(10).toString();
            if (!query.value(11).isNull())
                entry.struck = StruckOut{query.value(11).toString(), timeFrom(query.value(12))};
            index.insert(entry.id, entries.size());
            entries << entry;
        }
        if (query.lastError().isValid() ||
            !run(query,
                 QStringLiteral("SELECT entry_id, question, option_text, points FROM answers "
                                "WHERE entry_id IN (SELECT id FROM entries WHERE event_id = ?) "
                                "ORDER BY entry_id, position"),
                 {eventId}))
            return failure(path_, query.lastError(), Step::Read, busyTimeoutMs_);
        while (query.next()) {
            const auto at = index.constFind(query.value(0).toLongLong());
            if (at != index.constEnd())
                entries[*at].answers << Answer{query.value(1).toString(), query.value(2).toString(),
                                               query.value(3).toString()};
        }
        if (query.lastError().isValid())
            return failure(path_, query.lastError(), Step::Read, busyTimeoutMs_);

        // Bands only ever rise with the total, so a different band at a higher total is a
        // higher band, whatever the bands are called.
        const Entry* previous = nullptr;
        for (Entry& entry : entries) {
            if (entry.struck || entry.referral)
                continue;
            entry.bandRose =
                previous && entry.band != previous->band &&
                ReadNumber(entry.total.toStdString()) > ReadNumber(previous->total.toStdString());
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
    if (!event.date.isValid() || event.date.year() < 1 || event.date.year() > 9999)
        return invalid(QStringLiteral("An event needs its date."));
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    return inWriteTransaction(db, path_, busyTimeoutMs_, [&]() -> Result<qint64> {
        QSqlQuery query(db);
        if (!run(query,
                 QStringLiteral("INSERT INTO events (name, place, date, notes, created) "
                                "VALUES (?, ?, ?, ?, ?)"),
                 {event.name, text(event.place), event.date.toString(Qt::ISODate),
                  text(event.notes), isoWithOffset(QDateTime::currentDateTime())}))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        return query.lastInsertId().toLongLong();
    });
}

Result<qint64> EventLog::addEntry(const Entry& entry) {
    if (!entry.time.isValid())
        return invalid(QStringLiteral("An entry needs the time it was assessed."));
    if (entry.referral != entry.total.isEmpty())
        return invalid(QStringLiteral("An entry has either a total or a referral."));
    if (entry.referral && !entry.band.isEmpty())
        return invalid(QStringLiteral("A referral has no band."));
    for (const Answer& answer : entry.answers)
        if (answer.question.isEmpty())
            return invalid(QStringLiteral("Every answer of an entry names its question."));
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    return inWriteTransaction(db, path_, busyTimeoutMs_, [&]() -> Result<qint64> {
        QSqlQuery query(db);
        if (!run(query, QStringLiteral("SELECT 1 FROM events WHERE id = ?"), {entry.eventId}))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        if (!query.next())
            return invalid(QStringLiteral("The event log %1 has no event %2.")
                               .arg(named(path_))
                               .arg(entry.eventId));
        query.finish();
        if (!run(query,
                 QStringLiteral("INSERT INTO entries (event_id, time, time_zone, "
                                "temperature_source, source_inputs, referral, total, band, "
                                "decision, note, program_version) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {entry.eventId, isoWithOffset(entry.time),
                  entry.zone.isEmpty() ? zoneOf(entry.time) : entry.zone, sourceName(entry.source),
                  textOrNull(entry.sourceInputs), entry.referral ? 1 : 0, textOrNull(entry.total),
                  textOrNull(entry.band), text(entry.decision), text(entry.note),
                  QStringLiteral(ORVANE_EVENTLOG_WRITER)}))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        const qint64 id = query.lastInsertId().toLongLong();
        if (!query.prepare(QStringLiteral("INSERT INTO answers (entry_id, position, question, "
                                          "option_text, points) VALUES (?, ?, ?, ?, ?)")))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        for (qsizetype i = 0; i < entry.answers.size(); ++i) {
            const Answer& answer = entry.answers[i];
            query.bindValue(0, id);
            query.bindValue(1, qint64(i));
            query.bindValue(2, answer.question);
            query.bindValue(3, text(answer.option));
            query.bindValue(4, text(answer.points));
            if (!query.exec())
                return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        }
        return id;
    });
}

Result<> EventLog::strikeOut(qint64 entryId, const QString& reason) {
    if (reason.trimmed().isEmpty())
        return invalid(QStringLiteral("Striking out an entry needs a reason."));
    const QSqlDatabase db = QSqlDatabase::database(connection_, false);
    return inWriteTransaction(db, path_, busyTimeoutMs_, [&]() -> Result<> {
        QSqlQuery query(db);
        if (!run(query,
                 QStringLiteral("SELECT struck_reason IS NOT NULL FROM entries WHERE id = ?"),
                 {entryId}))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        if (!query.next())
            return invalid(
                QStringLiteral("The event log %1 has no entry %2.").arg(named(path_)).arg(entryId));
        if (query.value(0).toBool())
            return invalid(QStringLiteral("Entry %1 is struck out already.").arg(entryId));
        query.finish();
        if (!run(query,
                 QStringLiteral(
                     "UPDATE entries SET struck_reason = ?, struck_time = ? WHERE id = ?"),
                 {reason, isoWithOffset(QDateTime::currentDateTime()), entryId}))
            return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
        return Done{};
    });
}

} // namespace orvane::eventlog
