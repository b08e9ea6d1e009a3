#pragma once

// The calculator's way into the event log: the log file, opened when first used and never at
// start; the event that assessments are added to, remembered between runs; adding the shown
// assessment with the decision taken and a note; the reminder to re-assess; and the Event Log
// window. It belongs to the calculator and ends with it, timer and window included.

#include "eventlog/event_log.h"
#include "ui/record/assessment_record.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <optional>

class QWidget;

namespace orvane::ui {

class frmEventLog;

class EventLogKeeper : public QObject {
    Q_OBJECT

public:
    explicit EventLogKeeper(QWidget* owner);
    ~EventLogKeeper() override;

    // The log, opened (and created) on first use; nullptr after saying why it cannot be used.
    eventlog::EventLog* log();

    // Adds the assessment to the event, asking for the event the first time, and for the
    // decision and a note each time. Returns whether it was added.
    bool add(const Assessment& assessment);
    // Asks for the event to add to from now on: an existing one or a new one.
    bool chooseEvent();
    std::optional<eventlog::Event> currentEvent();

    void openWindow();
    frmEventLog* window() const;

    // A reminder after `minutes`; a new one replaces the old.
    void remindIn(int minutes);
    void cancelReminder();
    bool reminding() const { return reminder_.isActive(); }
    // Shortens the reminder for tests: each minute lasts this many milliseconds.
    void setMinuteLength(int milliseconds) { minuteMs_ = milliseconds; }

signals:
    // A line for the calculator's status line.
    void status(const QString& text);
    void entryAdded(qint64 eventId, qint64 entryId);
    void reminderChanged(bool on);

private:
    void remind();
    void rememberEvent(qint64 id);

    QWidget* owner_;
    std::optional<eventlog::EventLog> log_;
    qint64 eventId_ = 0;
    QDateTime lastAdded_;
    QTimer reminder_;
    int minuteMs_ = 60'000;
    QPointer<frmEventLog> window_;
};

} // namespace orvane::ui
