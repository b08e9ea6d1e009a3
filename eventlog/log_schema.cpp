#include "eventlog/log_schema.h"

#include "eventlog/log_sql.h"

#include <QRegularExpression>

namespace orvane::eventlog::schema {
namespace {

using Kind = LogError::Kind;
using sql::failure;
using sql::named;
using sql::Step;

// Format 1 as it was first written. Never changed: later formats are steps from it.
constexpr const char* kFormat1[] = {
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

// Format 2: the band as the totals it takes ("56–65"), not as its document's file name; the
// WBGT a tool worked out as a number, no longer only inside the text of its inputs; and the WBGT
// ceiling the assessment showed, NULL for the entries of format 1, which showed none.
constexpr const char* kFormat2[] = {
    R"(ALTER TABLE entries ADD COLUMN wbgt_f REAL
        CHECK (wbgt_f IS NULL OR temperature_source IN ('estimated', 'forecast')))",
    R"(ALTER TABLE entries ADD COLUMN ceiling TEXT CHECK (ceiling IS NULL OR ceiling IN
        ('none', 'races-cancel', 'not-acclimatized-cancel', 'everyone-cancel', 'unknown')))",
    "DROP TRIGGER entries_are_not_changed",
    R"(UPDATE entries SET band = CASE band
        WHEN 'Risk Score 55 and below recommendation.rtf' THEN '55 and below'
        WHEN 'Risk Score 56-65 recommendation.rtf' THEN '56–65'
        WHEN 'Risk Score 66-74 recommendation.rtf' THEN '66–74'
        WHEN 'Risk Score  75 recommendation.rtf' THEN '75 and above'
        ELSE band END WHERE band IS NOT NULL)",
};
constexpr const char* kFormat2Trigger =
    R"(CREATE TRIGGER entries_are_not_changed BEFORE UPDATE OF id, event_id, time, time_zone,
        temperature_source, source_inputs, referral, total, band, decision, note,
        program_version, wbgt_f, ceiling ON entries
        BEGIN SELECT RAISE(ABORT, 'an entry is never changed: add a correction instead'); END)";

// Format 1 kept a tool's WBGT only in the words of its inputs, "… WBGT 84.3 °F (29.1 °C)", with
// the digits of the locale of the day: any decimal digits, a point, comma or Arabic separator.
std::optional<double> wbgtInWords(const QString& inputs) {
    static const QRegularExpression given(
        QStringLiteral("WBGT (\\p{Nd}+)(?:[.,\u066b](\\p{Nd}+))? \u00b0F"));
    const QRegularExpressionMatch m = given.match(inputs);
    if (!m.hasMatch())
        return std::nullopt;
    QString digits;
    for (const QString& part : {m.captured(1), m.captured(2)}) {
        for (const QChar c : part)
            digits += QChar(u'0' + c.digitValue());
        digits += u'.';
    }
    bool ok = false;
    const double value = digits.chopped(1).toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

class Steps {
public:
    Steps(const QSqlDatabase& db, const QString& path, int busyTimeoutMs)
        : db_(db), query_(db), path_(path), busyTimeoutMs_(busyTimeoutMs) {}

    Result<> migrateTo(int version) {
        switch (version) {
        case 1: return all(kFormat1);
        case 2: return migrateTo2();
        default:
            return LogError{Kind::Failed,
                            QStringLiteral("No step leads to format %1.").arg(version)};
        }
    }

private:
    template <std::size_t N> Result<> all(const char* const (&statements)[N]) {
        for (const char* statement : statements)
            if (!sql::run(query_, QString::fromUtf8(statement)))
                return failed();
        return Done{};
    }

    Result<> migrateTo2() {
        if (auto done = all(kFormat2); !done)
            return done;
        QSqlQuery rows(db_);
        if (!sql::run(rows, QStringLiteral("SELECT id, source_inputs FROM entries WHERE "
                                           "temperature_source IN ('estimated', 'forecast')")))
            return failed(rows);
        while (rows.next()) {
            const auto wbgt = wbgtInWords(rows.value(1).toString());
            if (wbgt &&
                !sql::run(query_,
                          QStringLiteral("UPDATE entries SET wbgt_f = :wbgt WHERE id = :id"),
                          {{":wbgt", *wbgt}, {":id", rows.value(0)}}))
                return failed();
        }
        if (!sql::run(query_, QString::fromUtf8(kFormat2Trigger)))
            return failed();
        return Done{};
    }

    LogError failed() { return failed(query_); }
    LogError failed(const QSqlQuery& query) {
        return failure(path_, query.lastError(), Step::Write, busyTimeoutMs_);
    }

    QSqlDatabase db_;
    QSqlQuery query_;
    QString path_;
    int busyTimeoutMs_;
};

} // namespace

Result<Header> readHeader(const QSqlDatabase& db, const QString& path, int busyTimeoutMs) {
    QSqlQuery query(db);
    if (!sql::run(query, QStringLiteral("SELECT (SELECT application_id FROM pragma_application_id),"
                                        " (SELECT user_version FROM pragma_user_version),"
                                        " (SELECT count(*) FROM sqlite_master)")) ||
        !query.next())
        return failure(path, query.lastError(), Step::Open, busyTimeoutMs);
    return Header{query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt()};
}

std::optional<LogError> refusal(const Header& header, const QString& path) {
    if (header.empty())
        return std::nullopt;
    if (header.applicationId != kApplicationId)
        return LogError{Kind::NotALog,
                        QStringLiteral("%1 is a database, but not an event log of Solvane "
                                       "Calculator. It was left as it is.")
                            .arg(named(path))};
    if (header.version > EventLog::kSchemaVersion)
        return LogError{Kind::Newer,
                        QStringLiteral("The event log %1 was written by a newer version of "
                                       "Solvane Calculator (log format %2; this version knows "
                                       "format %3). It was left as it is: use the newer version "
                                       "with it.")
                            .arg(named(path))
                            .arg(header.version)
                            .arg(EventLog::kSchemaVersion)};
    if (header.version < 1)
        return LogError{Kind::NotALog,
                        QStringLiteral("The event log %1 declares log format %2, which no version "
                                       "of Solvane Calculator writes: it is damaged or was made "
                                       "by another program. It was left as it is.")
                            .arg(named(path))
                            .arg(header.version)};
    return std::nullopt;
}

Result<> bringUpToDate(const QSqlDatabase& db, const QString& path, int busyTimeoutMs,
                       const Header& header) {
    Steps steps(db, path, busyTimeoutMs);
    for (int version = header.empty() ? 1 : header.version + 1; version <= EventLog::kSchemaVersion;
         ++version)
        if (auto done = steps.migrateTo(version); !done)
            return done;
    QSqlQuery query(db);
    if (!sql::run(query, QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId)) ||
        !sql::run(query, QStringLiteral("PRAGMA user_version = %1").arg(EventLog::kSchemaVersion)))
        return failure(path, query.lastError(), Step::Write, busyTimeoutMs);
    return Done{};
}

} // namespace orvane::eventlog::schema
