#pragma once

// The event log: the events of the people who use the program and every assessment ("entry")
// made on each event's day, in one SQLite file shared by everyone who opens it, the program's
// windows and orvane-eval alike.
//
// What it promises: an entry is written whole or not at all, even when the program is killed
// while writing; a file it cannot use (locked for too long, read-only, on a full disk, not a
// database, not an event log, from a newer version) gives a message naming the file and is
// left exactly as it was; entries are never changed, only struck out with a reason, and the
// file itself refuses any other change. Opening is explicit: nothing happens to the file
// system until open() is called.

#include "core/assessment.h"
#include "coreqt/core_qt.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace orvane::eventlog {

// Why an operation on the log failed. `message` is a whole sentence or two for a person and
// always names the file; `kind` is for the caller's choices, such as offering to try again.
struct LogError {
    enum class Kind {
        Missing,  // no log at that path (never created by a read-only or read-write open)
        Busy,     // another program held the file for longer than the busy timeout: try again
        ReadOnly, // the file or its folder cannot be written
        Full,     // the disk (or, in tests, the page limit) is full
        NotALog,  // not a database, or a database of something else
        Damaged,  // an event log whose contents SQLite finds damaged
        Newer,    // written by a newer version of the program
        Invalid,  // the caller asked for something the log cannot hold or find
        Failed,   // anything else the system reported, such as an I/O error
    };
    Kind kind = Kind::Failed;
    QString message;
};

struct Done {};

using orvane::Answer;
using orvane::Assessment;

// "2026-12-07T14:30:00+10:30": the local time to the second and its offset from UTC, also for
// UTC itself ("+00:00"), as the file and the CSV hold times.
QString isoWithOffset(const QDateTime& time);

// A value or the reason there is none.
template <class T = Done> class Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(LogError error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& operator*() { return std::get<0>(v_); }
    const T& operator*() const { return std::get<0>(v_); }
    T* operator->() { return &std::get<0>(v_); }
    const T* operator->() const { return &std::get<0>(v_); }
    const LogError& error() const { return std::get<1>(v_); }

private:
    std::variant<T, LogError> v_;
};

struct Event {
    qint64 id = 0; // given by the log
    QString name;  // required
    QString place;
    QDate date; // the event's day
    QString notes;
    QDateTime created;   // set by the log when added, with the local offset of the time
    int entryCount = 0;  // every entry, struck-out ones too; filled by events() and event()
    int struckCount = 0; // of those, the struck-out ones
};

struct StruckOut {
    QString reason;
    QDateTime time;
};

// How long a text typed into the log may be. Longer texts are refused when added, and a log from
// elsewhere that holds one gives it back cut, with a mark saying so: nothing a file holds may
// make a window or a report slow.
inline constexpr int kMaxNameLength = 200;  // an event's name and place, a decision
inline constexpr int kMaxNoteLength = 2000; // a note, an event's notes, a reason, a tool's inputs

// What is put after a text that was cut on reading.
QString cutMark();

struct Entry {
    qint64 id = 0; // given by the log
    qint64 eventId = 0;
    // The assessment as it was made: every answer and where question 1's came from, the total
    // and band or the referral, the WBGT ceiling, and when, with the IANA id of the place's time
    // zone (the zone of the time itself when empty on adding).
    Assessment assessment;
    // Logs of format 1 kept no ceiling: the program judged none then.
    bool ceilingJudged = true;
    QString decision;
    QString note;
    QString programVersion;          // set by the log when added
    std::optional<StruckOut> struck; // set only by strikeOut()
    // Read only: the band is higher than at the previous entry that was not struck out
    // (referrals and struck-out entries are never marked and are not compared against).
    bool bandRose = false;

    // The time of the assessment in the place's zone, or at its offset where the zone is unknown.
    QDateTime time() const { return localTime(assessment.at); }
};

class EventLog {
public:
    enum class Access {
        ReadOnly,  // never writes, never creates; for viewing and for orvane-eval
        ReadWrite, // an existing file only
        Create,    // creates the folder and the file when missing
    };
    struct Options {
        int busyTimeoutMs = 5000; // how long a write waits for another program's write
    };

    // Opens the log and checks it is one this version can use. Nothing is created for ReadOnly
    // and ReadWrite, and nothing is ever written to a file that is refused. The log is used
    // from the thread that opened it.
    static Result<EventLog> open(const QString& path, Access access, Options options);
    static Result<EventLog> open(const QString& path, Access access) {
        return open(path, access, Options{});
    }

    EventLog(EventLog&& other) noexcept;
    EventLog& operator=(EventLog&& other) noexcept;
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;
    ~EventLog();

    const QString& path() const { return path_; }

    // Newest first: by the event's date, then the order they were added in.
    Result<QList<Event>> events() const;
    Result<Event> event(qint64 id) const;
    // In time order; equal times in the order they were added in.
    Result<QList<Entry>> entries(qint64 eventId) const;
    // The CSV of one event, as the window's "Export CSV…" and orvane-eval write it.
    Result<QByteArray> csv(qint64 eventId) const;

    // Each write is one transaction: on any failure nothing of it is in the file. The entry or
    // event passed in is left as it is, so it can be kept on screen and tried again.
    Result<qint64> addEvent(const Event& event);
    Result<qint64> addEntry(const Entry& entry);
    Result<> strikeOut(qint64 entryId, const QString& reason);

    // The schema version this program writes (PRAGMA user_version); it reads every older one.
    static constexpr int kSchemaVersion = 2;
    // The version of the file as opened: older than kSchemaVersion only when opened read-only,
    // since opening it to write brings it up to date first.
    int version() const { return version_; }

private:
    EventLog(QString connection, QString path, int busyTimeoutMs)
        : connection_(std::move(connection)), path_(std::move(path)),
          busyTimeoutMs_(busyTimeoutMs) {}
    Result<> prepare(Access access);
    void close();

    QString connection_; // empty once moved from
    QString path_;
    int busyTimeoutMs_;
    int version_ = kSchemaVersion;
};

} // namespace orvane::eventlog
