#pragma once

// The event log's way with SQL, shared by its schema and its queries: statements run with values
// bound by name, SQLite's failures turned into messages for a person, and the two kinds of
// transaction every read and write goes through. Not for use outside the log.

#include "eventlog/event_log.h"
#include "eventlog/test_hooks.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <initializer_list>
#include <utility>

namespace orvane::eventlog::sql {

enum class Step { Open, Read, Write };

// The file's name as every message quotes it.
QString named(const QString& path);

// The message for a failed step, by SQLite's result code.
LogError failure(const QString& path, const QSqlError& error, Step step, int busyTimeoutMs);

inline LogError invalid(const QString& what) {
    return {LogError::Kind::Invalid, what};
}

using Values = std::initializer_list<std::pair<const char*, QVariant>>;

// Prepares and runs one statement with each ":name" bound to its value.
bool run(QSqlQuery& query, const QString& sql, Values values = {});

// Qt binds a null QString as SQL NULL; an empty text is still a text.
inline QString text(const QString& value) {
    return value.isNull() ? QStringLiteral("") : value;
}
QVariant textOrNull(const QString& text);
QVariant numberOrNull(const std::optional<double>& number);

// A text read with at most `limit` + 1 characters: `column` through substr(), so a huge text in a
// file from elsewhere is never loaded whole, and its length beside it.
QString limited(const char* column, int limit);
// The text as read by limited(): cut to `limit` with the cut mark when it was longer.
QString cutTo(const QString& text, qint64 length, int limit);

// Runs `body` (which returns a Result) as one write transaction. BEGIN IMMEDIATE takes the write
// lock before anything is read, so waiting for another writer is the busy timeout's job and can
// never end in a deadlock between two readers that both want to write.
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

} // namespace orvane::eventlog::sql
