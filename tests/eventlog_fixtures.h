#pragma once

// What the event log's tests share: entries made as the calculator makes them, an event, another
// program's connection to the same file, and small helpers to read results and files.

#include "core/catalogue.h"
#include "core/evaluation.h"
#include "eventlog/event_log.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimeZone>

namespace orvane::test {

using namespace orvane::eventlog;

inline const QTimeZone kAdelaide("Australia/Adelaide");
// Writers taking turns on a slow, busy machine must not give up on each other.
inline const EventLog::Options kPatient{60000};

// An assessment at the given minutes after 9:00 in Adelaide; no total means a referral.
inline Entry assessment(qint64 eventId, int minutes, const QString& total,
                        const QString& note = {}) {
    Entry entry;
    entry.eventId = eventId;
    entry.assessment.at =
        assessedAt(QDateTime(QDate(2026, 12, 7), QTime(9, 0), kAdelaide).addSecs(minutes * 60));
    entry.assessment.answers = {
        {"WBGT", "73-81.9", "10", {}},
        {"Medical", total.isEmpty() ? "Heart condition" : "None", total.isEmpty() ? "X" : "0", {}}};
    entry.assessment.referral = total.isEmpty();
    entry.assessment.total = utf8(total);
    if (!total.isEmpty())
        entry.assessment.band = BandFor(total.toDouble());
    entry.note = note;
    return entry;
}

// A whole assessment at the given minutes after 9:00 in Adelaide: every question answered, with
// option `wbgt` of question 1 and the medical condition named (a referral for "Medical").
inline Entry complete(qint64 eventId, int minutes, int wbgt, const QString& decision,
                      const QString& note, const char* referral = nullptr) {
    const char* options[][2] = {
        {"WBGT", nullptr},
        {"Dry_Bulb", ""},
        {"Duration", "60 to 120"},
        {"Intensity", "Moderate pace throughout"},
        {"Acclimatization", "Used to warm weather conditions"},
        {"Ability", "Good fitness level"},
        {"Age", "13 to 17"},
        {"Drinks", "15 to 25"},
        {"Time", "9 am to 12 noon"},
        {"Surface", "Grass"},
        {"Venue", "Outdoors"},
        {"Medical", referral ? "High: Asthma, Diabetes, Pregnancy, *" : "None"},
        {"Other", "Shade available during breaks?"}};
    std::vector<Answer> answers;
    for (const auto& [key, option] : options) {
        const std::string text = option ? option : std::string(FactorOptions(key)[wbgt]);
        answers.push_back({key, text, std::string(OptionOutcome(key, text).value_or("")), {}});
    }
    Entry entry;
    entry.eventId = eventId;
    entry.assessment = std::get<Assessment>(Assess(answers));
    entry.assessment.at =
        assessedAt(QDateTime(QDate(2026, 12, 7), QTime(9, 0), kAdelaide).addSecs(minutes * 60));
    entry.decision = decision;
    entry.note = note;
    return entry;
}

inline Event newEvent(const QString& name, QDate date) {
    return Event{0, name, "Oval", date, {}, {}, 0};
}

// Another connection in this process, as another program holds one: no busy wait of its own.
class OtherConnection {
public:
    explicit OtherConnection(const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name_);
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=0");
        db.open();
    }
    ~OtherConnection() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    bool exec(const QString& sql) { return QSqlQuery(QSqlDatabase::database(name_)).exec(sql); }
    QVariant value(const QString& sql) {
        QSqlQuery query(QSqlDatabase::database(name_));
        return query.exec(sql) && query.next() ? query.value(0) : QVariant();
    }

private:
    QString name_ = "other-" + QString::number(quintptr(this));
};

// The value of a step that must work; a failure ends the test run with the log's message.
template <class T> T must(Result<T> result) {
    if (!result)
        qFatal("%s", qPrintable(result.error().message));
    return std::move(*result);
}

// For QVERIFY2, which builds its message even when the check passes.
template <class T> QByteArray why(const Result<T>& result) {
    return result ? QByteArray() : result.error().message.toUtf8();
}

inline QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QStringList notesOf(const QList<Entry>& entries) {
    QStringList notes;
    for (const Entry& entry : entries)
        notes << entry.note.left(40);
    return notes;
}

} // namespace orvane::test
