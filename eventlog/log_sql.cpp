#include "eventlog/log_sql.h"

#include <QDir>

namespace orvane::eventlog {

namespace testing {
namespace {
Hooks& installed() {
    static Hooks hooks;
    return hooks;
}
} // namespace
void setHooks(Hooks hooks) {
    installed() = std::move(hooks);
}
const Hooks& hooks() {
    return installed();
}
} // namespace testing

QString cutMark() {
    return QStringLiteral(" [\u2026 cut: longer than the log shows]");
}

namespace sql {
namespace {

using Kind = LogError::Kind;

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

} // namespace

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

bool run(QSqlQuery& query, const QString& statement, Values values) {
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        return false;
    for (const auto& [name, value] : values)
        query.bindValue(QString::fromLatin1(name), value);
    return query.exec();
}

QVariant textOrNull(const QString& text) {
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

QVariant numberOrNull(const std::optional<double>& number) {
    return number ? QVariant(*number) : QVariant(QMetaType::fromType<double>());
}

QString limited(const char* column, int limit) {
    return QStringLiteral("substr(%1, 1, %2), length(%1)")
        .arg(QLatin1String(column))
        .arg(limit + 1);
}

QString cutTo(const QString& text, qint64 length, int limit) {
    return length > limit ? text.left(limit) + cutMark() : text;
}

} // namespace sql
} // namespace orvane::eventlog
