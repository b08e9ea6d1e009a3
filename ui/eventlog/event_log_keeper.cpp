#include "ui/eventlog/event_log_keeper.h"

#include "coreqt/core_qt.h"
#include "eventlog/log_path.h"
#include "settings/settings.h"
#include "ui/common/messages.h"
#include "ui/eventlog/event_dialogs.h"
#include "ui/eventlog/frm_event_log.h"
#include "ui/eventlog/log_entries.h"

#include <QWidget>

namespace orvane::ui {
namespace {

QString eventName(const eventlog::Event& event) {
    return QStringLiteral("%1, %2").arg(event.name, event.date.toString(Qt::ISODate));
}

} // namespace

EventLogKeeper::EventLogKeeper(QWidget* owner) : QObject(owner), owner_(owner) {
    reminder_.setSingleShot(true);
    connect(&reminder_, &QTimer::timeout, this, &EventLogKeeper::remind);
}

EventLogKeeper::~EventLogKeeper() {
    delete window_; // it reads the log, which goes with this
}

eventlog::EventLog* EventLogKeeper::log() {
    if (log_)
        return &*log_;
    auto opened =
        eventlog::EventLog::open(eventlog::eventLogPath(), eventlog::EventLog::Access::Create);
    if (!opened) {
        showProblem(owner_, opened.error().message);
        return nullptr;
    }
    log_.emplace(std::move(*opened));
    return &*log_;
}

std::optional<eventlog::Event> EventLogKeeper::currentEvent() {
    eventlog::EventLog* log = this->log();
    if (!log)
        return std::nullopt;
    if (eventId_ == 0) {
        // The event is remembered with the log it is in: another log has other events.
        if (settings::eventLogFile.value() == log->path())
            eventId_ = settings::eventId.value();
    }
    if (eventId_ == 0)
        return std::nullopt;
    auto event = log->event(eventId_);
    if (!event) {
        eventId_ = 0;
        return std::nullopt;
    }
    return *event;
}

void EventLogKeeper::rememberEvent(qint64 id) {
    eventId_ = id;
    settings::eventLogFile.set(log_->path());
    settings::eventId.set(id);
}

bool EventLogKeeper::chooseEvent() {
    eventlog::EventLog* log = this->log();
    if (!log)
        return false;
    auto events = log->events();
    if (!events) {
        showProblem(owner_, events.error().message);
        return false;
    }
    dlgChooseEvent dialog(*events, owner_);
    while (dialog.exec() == QDialog::Accepted) {
        if (const auto id = dialog.chosenId()) {
            rememberEvent(*id);
            return true;
        }
        const auto added = log->addEvent(dialog.newEvent());
        if (added) {
            rememberEvent(*added);
            if (window_)
                window_->reload(*added);
            return true;
        }
        showProblem(&dialog, added.error().message);
    }
    return false;
}

bool EventLogKeeper::add(const Assessment& assessment) {
    std::optional<eventlog::Event> event = currentEvent();
    if (!event && (!chooseEvent() || !(event = currentEvent())))
        return false;
    const QString result = assessment.referral ? QStringLiteral("medical referral, no total")
                                               : QStringLiteral("total %1, %2")
                                                     .arg(qs(assessment.total),
                                                          bandText(entryFor(assessment, {}, {})));
    dlgAddEntry dialog(eventName(*event), result, owner_);
    for (;;) {
        const int answer = dialog.exec();
        if (answer == QDialog::Rejected)
            return false;
        if (answer == dlgAddEntry::ChangeEvent) {
            if (chooseEvent() && (event = currentEvent()))
                dialog.setEventName(eventName(*event));
            continue;
        }
        eventlog::Entry entry = entryFor(assessment, dialog.decision(), dialog.note());
        entry.eventId = event->id;
        const auto added = log_->addEntry(entry);
        if (!added) {
            // The dialog keeps what was typed, so nothing is lost and it can be tried again.
            showProblem(&dialog, added.error().message +
                                     QStringLiteral("\n\nThe entry was not added. It stays in "
                                                    "this window: \"Add to Log\" tries again."));
            continue;
        }
        lastAdded_ = localTime(assessment.at);
        emit status(QStringLiteral("Added to the event log: %1, at %2.")
                        .arg(eventName(*event), lastAdded_.toString(QStringLiteral("HH:mm"))));
        emit entryAdded(event->id, *added);
        if (window_)
            window_->reload(event->id);
        return true;
    }
}

frmEventLog* EventLogKeeper::window() const {
    return window_;
}

void EventLogKeeper::openWindow() {
    if (!log())
        return;
    if (!window_ || !window_->isVisible()) {
        window_ = new frmEventLog(owner_, this);
        window_->show();
    }
    window_->raise();
    window_->activateWindow();
}

void EventLogKeeper::remindIn(int minutes) {
    reminder_.start(minutes * minuteMs_);
    const QTime at = QTime::currentTime().addSecs(minutes * 60);
    emit status(QStringLiteral("Reminder to re-assess at %1. It works only while the program is "
                               "running.")
                    .arg(at.toString(QStringLiteral("HH:mm"))));
    emit reminderChanged(true);
}

void EventLogKeeper::cancelReminder() {
    reminder_.stop();
    emit status(QStringLiteral("Reminder cancelled."));
    emit reminderChanged(false);
}

void EventLogKeeper::remind() {
    emit reminderChanged(false);
    if (owner_->isMinimized())
        owner_->showNormal();
    owner_->raise();
    owner_->activateWindow();
    const std::optional<eventlog::Event> event = currentEvent();
    showMessage(owner_, QStringLiteral("Time to re-assess %1.\n\nThe last assessment was added to "
                                       "the log at %2.")
                            .arg(event ? event->name : QStringLiteral("the event"),
                                 lastAdded_.isValid() ? lastAdded_.toString(QStringLiteral("HH:mm"))
                                                      : QStringLiteral("an earlier time")));
}

} // namespace orvane::ui
