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
    QDateTime created;  // set by the log when added, with the local offset of the time
    int entryCount = 0; // every entry, struck-out ones too; filled by events() and event()
};

// How question 1, the temperature, was answered.
enum class TemperatureSource {
    WbgtByHand,     // a WBGT option chosen in the list
    Estimated,      // a WBGT from the estimator
    Forecast,       // a WBGT from the planner's forecast
    AirTemperature, // the dry-bulb list
};
// The texts stored in the file and the CSV: "wbgt-by-hand", "estimated", "forecast",
// "air-temperature".
QString sourceName(TemperatureSource source);
std::optional<TemperatureSource> sourceFromName(const QString& name);

struct Answer {
    QString question; // the catalogue's key, e.g. "WBGT"
    QString option;   // the option's text as listed; empty when not answered
    QString points;   // the points text as shown beside the list
    bool operator==(const Answer&) const = default;
};

struct StruckOut {
    QString reason;
    QDateTime time;
};

struct Entry {
    qint64 id = 0; // given by the log
    qint64 eventId = 0;
    // When the assessment was made. Kept as local time with its UTC offset, so read back it
    // has that fixed offset; `zone` is the IANA id of the place's time zone (taken from `time`
    // when empty on adding, "UTC" for a UTC time).
    QDateTime time;
    QString zone;
    QList<Answer> answers; // in the window's order; written and read back as given
    TemperatureSource source = TemperatureSource::WbgtByHand;
    QString sourceInputs; // the estimator's or planner's inputs as text; empty when not used
    bool referral = false;
    QString total; // as displayed; empty for a referral
    QString band;  // the band's document name; empty for a referral or a total with no band
    QString decision;
    QString note;
    QString programVersion;          // set by the log when added
    std::optional<StruckOut> struck; // set only by strikeOut()
    // Read only: the band is higher than at the previous entry that was not struck out
    // (referrals and struck-out entries are never marked and are not compared against).
    bool bandRose = false;
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

    // The schema version this program writes and reads (PRAGMA user_version).
    static constexpr int kSchemaVersion = 1;

private:
    EventLog(QString connection, QString path, int busyTimeoutMs)
        : connection_(std::move(connection)), path_(std::move(path)),
          busyTimeoutMs_(busyTimeoutMs) {}
    Result<> prepare(Access access);
    void close();

    QString connection_; // empty once moved from
    QString path_;
    int busyTimeoutMs_;
};

} // namespace orvane::eventlog
