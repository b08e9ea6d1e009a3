#pragma once

// The calculator's way into the event log: the log file, opened when first used and never at
// start; the event that assessments are added to, remembered between runs and named wherever an
// assessment is about to go; adding the shown assessment with the decision taken and a note; the
// reminder to re-assess; and the Event Log window. It belongs to the calculator and ends with it,
// timer and window included.
//
// The log is used from the window's thread, so no call may wait long for it: another program
// holding the file gets a short wait, then the window goes on and the keeper tries again on a
// timer. An entry that meets a busy log waits in the keeper and goes in when the log is free.

#include "eventlog/event_log.h"
#include "ui/eventlog/event_dialogs.h"
#include "ui/record/assessment_record.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>

class QWidget;

namespace orvane::ui {

class frmEventLog;

class EventLogKeeper : public QObject {
    Q_OBJECT

public:
    // How long one call waits for another program's write before giving the window back.
    static constexpr int kBusyWaitMs = 40;
    // How often an entry waiting for a busy log is tried again.
    static constexpr int kRetryMs = 250;

    explicit EventLogKeeper(QWidget* owner);
    ~EventLogKeeper() override;

    // The log, opened (and created) on first use; nullptr after saying why it cannot be used.
    eventlog::EventLog* log();

    // Adds the assessment to the event, asking for the event the first time, and for the
    // decision and a note each time. Returns whether it was added or waits for a busy log.
    bool add(const Assessment& assessment);
    // Asks for the event to add to from now on: an existing one or a new one. Returns it.
    std::optional<qint64> chooseEvent();
    // A new event only, from the Event Log window: it receives assessments only when asked.
    std::optional<qint64> newEvent();
    // Assessments go to this event from now on.
    void useEvent(qint64 id);
    // The event assessments go to: none where none was chosen, or the log's reason it cannot
    // tell.
    eventlog::Result<std::optional<eventlog::Event>> currentEvent();

    // What a new event's fields offer, asked afresh each time (the planner's place and date).
    void setSuggestion(std::function<dlgChooseEvent::Suggestion()> suggest) {
        suggest_ = std::move(suggest);
    }

    void openWindow();
    frmEventLog* window() const;

    // A reminder after `minutes`, again every `minutes` when `repeat`; a new one replaces the
    // old.
    void remindIn(int minutes, bool repeat = false);
    void cancelReminder();
    bool reminding() const { return reminder_.isActive(); }
    // When the reminder comes next; invalid when none is set.
    QDateTime nextReminder() const;
    // Whether an entry is waiting for a busy log.
    bool waiting() const { return pending_.has_value(); }
    // Shortens the reminder for tests: each minute lasts this many milliseconds.
    void setMinuteLength(int milliseconds) { minuteMs_ = milliseconds; }

signals:
    // A line for the calculator's status line.
    void status(const QString& text);
    void entryAdded(qint64 eventId, qint64 entryId);
    void reminderChanged(bool on);
    // An entry's answers, for the calculator to take back (the Event Log's "Load These Answers").
    void answersToLoad(const std::vector<orvane::Answer>& answers);

private:
    struct Pending {
        eventlog::Entry entry;
        QString eventName;
    };
    void remind();
    void rememberEvent(qint64 id);
    dlgChooseEvent::Suggestion suggestion() const;
    QString eventName(const eventlog::Event& event) const;
    // The entry is in the log: say so and follow it.
    void added(const eventlog::Entry& entry, const QString& eventName, qint64 entryId);
    void retryPending();

    QWidget* owner_;
    std::optional<eventlog::EventLog> log_;
    qint64 eventId_ = 0;
    QDateTime lastAdded_;
    QString lastTotal_;
    QTimer reminder_;
    QDateTime remindAt_;
    int minuteMs_ = 60'000;
    std::optional<Pending> pending_;
    QTimer retry_;
    QPointer<frmEventLog> window_;
    std::function<dlgChooseEvent::Suggestion()> suggest_;

    friend class frmEventLog;
};

} // namespace orvane::ui
