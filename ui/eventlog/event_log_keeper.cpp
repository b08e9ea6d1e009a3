#include "ui/eventlog/event_log_keeper.h"

#include "coreqt/core_qt.h"
#include "eventlog/log_path.h"
#include "settings/settings.h"
#include "ui/common/messages.h"
#include "ui/eventlog/frm_event_log.h"
#include "ui/eventlog/log_entries.h"

#include <QWidget>

namespace orvane::ui {

EventLogKeeper::EventLogKeeper(QWidget* owner) : QObject(owner), owner_(owner) {
    reminder_.setSingleShot(true);
    connect(&reminder_, &QTimer::timeout, this, &EventLogKeeper::remind);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &EventLogKeeper::retryPending);
}

EventLogKeeper::~EventLogKeeper() {
    delete window_; // it reads the log, which goes with this
}

eventlog::EventLog* EventLogKeeper::log() {
    if (log_)
        return &*log_;
    auto opened = eventlog::EventLog::open(eventlog::eventLogPath(),
                                           eventlog::EventLog::Access::Create, {kBusyWaitMs});
    if (!opened) {
        showProblem(owner_, opened.error().message);
        return nullptr;
    }
    log_.emplace(std::move(*opened));
    return &*log_;
}

QString EventLogKeeper::eventName(const eventlog::Event& event) const {
    return QStringLiteral("%1, %2").arg(event.name, event.date.toString(Qt::ISODate));
}

dlgChooseEvent::Suggestion EventLogKeeper::suggestion() const {
    return suggest_ ? suggest_() : dlgChooseEvent::Suggestion{};
}

eventlog::Result<std::optional<eventlog::Event>> EventLogKeeper::currentEvent() {
    eventlog::EventLog* log = this->log();
    if (!log)
        return eventlog::LogError{eventlog::LogError::Kind::Failed,
                                  QStringLiteral("The event log cannot be used.")};
    if (eventId_ == 0 && settings::eventLogFile.value() == log->path())
        eventId_ = settings::eventId.value(); // the event goes with the log it is in
    if (eventId_ == 0)
        return std::optional<eventlog::Event>();
    auto event = log->event(eventId_);
    if (!event) {
        if (event.error().kind != eventlog::LogError::Kind::Invalid)
            return event.error(); // the log could not say: not a reason to forget the event
        eventId_ = 0;             // gone from this log
        return std::optional<eventlog::Event>();
    }
    return std::optional(*event);
}

void EventLogKeeper::rememberEvent(qint64 id) {
    eventId_ = id;
    settings::eventLogFile.set(log_->path());
    settings::eventId.set(id);
}

void EventLogKeeper::useEvent(qint64 id) {
    rememberEvent(id);
    if (const auto event = log_->event(id))
        emit status(QStringLiteral("New assessments go to %1.").arg(eventName(*event)));
}

std::optional<qint64> EventLogKeeper::chooseEvent() {
    eventlog::EventLog* log = this->log();
    if (!log)
        return std::nullopt;
    auto events = log->events();
    if (!events) {
        showProblem(owner_, events.error().message);
        return std::nullopt;
    }
    dlgChooseEvent dialog(*events, suggestion(), false, owner_);
    while (dialog.exec() == QDialog::Accepted) {
        if (const auto id = dialog.chosenId()) {
            useEvent(*id);
            return id;
        }
        const auto added = log->addEvent(dialog.newEvent());
        if (added) {
            useEvent(*added);
            if (window_)
                window_->reload(*added);
            return *added;
        }
        showProblem(&dialog, added.error().message);
    }
    return std::nullopt;
}

std::optional<qint64> EventLogKeeper::newEvent() {
    eventlog::EventLog* log = this->log();
    if (!log)
        return std::nullopt;
    dlgChooseEvent dialog({}, suggestion(), true,
                          window_ ? static_cast<QWidget*>(window_) : owner_);
    while (dialog.exec() == QDialog::Accepted) {
        const auto added = log->addEvent(dialog.newEvent());
        if (added) {
            if (dialog.addAssessmentsHere())
                useEvent(*added);
            return *added;
        }
        showProblem(&dialog, added.error().message);
    }
    return std::nullopt;
}

bool EventLogKeeper::add(const Assessment& assessment) {
    auto current = currentEvent();
    if (!current) {
        showProblem(owner_, current.error().message +
                                QStringLiteral("\n\nThe assessment was not added. It stays on "
                                               "screen: \"Add to Event Log\" tries again."));
        return false;
    }
    std::optional<eventlog::Event> event = *current;
    const auto choose = [&]() -> bool {
        if (!chooseEvent())
            return false;
        auto chosen = currentEvent();
        if (!chosen || !*chosen) {
            if (!chosen)
                showProblem(owner_, chosen.error().message);
            return false;
        }
        event = *chosen;
        return true;
    };
    if (!event && !choose())
        return false;
    // An event of another day is most often last week's or next week's: asked, not assumed.
    const QDate today = localTime(assessment.at).date();
    while (event->date != today) {
        if (askYesNo(owner_,
                     QStringLiteral("The event \"%1\" is on %2, not today (%3). Add this "
                                    "assessment to it?")
                         .arg(event->name, event->date.toString(Qt::ISODate),
                              today.toString(Qt::ISODate)),
                     QStringLiteral("Add to It"), QStringLiteral("Choose Another Event\u2026")))
            break;
        if (!choose())
            return false;
    }
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
            const std::optional<eventlog::Event> before = event;
            if (!choose())
                event = before; // the dialog stays with the event it names
            dialog.setEventName(eventName(*event));
            continue;
        }
        eventlog::Entry entry = entryFor(assessment, dialog.decision(), dialog.note());
        entry.eventId = event->id;
        const auto id = log_->addEntry(entry);
        if (id) {
            added(entry, eventName(*event), *id);
            return true;
        }
        if (id.error().kind == eventlog::LogError::Kind::Busy) {
            // Waiting here would freeze every window: the entry waits in the keeper instead.
            pending_ = Pending{entry, eventName(*event)};
            retry_.start();
            emit status(QStringLiteral("The event log is in use by another program: the "
                                       "assessment goes to %1 as soon as it is free.")
                            .arg(eventName(*event)));
            return true;
        }
        // The dialog keeps what was typed, so nothing is lost and it can be tried again.
        showProblem(&dialog, id.error().message +
                                 QStringLiteral("\n\nThe entry was not added. It stays in this "
                                                "window: \"Add to Log\" tries again."));
    }
}

void EventLogKeeper::added(const eventlog::Entry& entry, const QString& name, qint64 entryId) {
    lastAdded_ = entry.time();
    lastTotal_ = entry.assessment.referral ? QString() : qs(entry.assessment.total);
    emit status(QStringLiteral("Added to the event log: %1, at %2. New assessments go there too.")
                    .arg(name, lastAdded_.toString(QStringLiteral("HH:mm"))));
    emit entryAdded(entry.eventId, entryId);
    if (window_)
        window_->reload(entry.eventId);
}

void EventLogKeeper::retryPending() {
    if (!pending_ || !log_) {
        retry_.stop();
        return;
    }
    const auto id = log_->addEntry(pending_->entry);
    if (!id && id.error().kind == eventlog::LogError::Kind::Busy)
        return; // still held: the next tick tries again
    retry_.stop();
    Pending pending = std::move(*pending_);
    pending_.reset();
    if (id) {
        added(pending.entry, pending.eventName, *id);
        return;
    }
    // Another failure: the entry comes back in its dialog, as typed, with the reason.
    dlgAddEntry dialog(pending.eventName, QString(), owner_);
    dialog.setTyped(pending.entry.decision, pending.entry.note);
    showProblem(owner_, id.error().message +
                            QStringLiteral("\n\nThe assessment waiting for the log was not "
                                           "added. It is shown again, as typed."));
    while (dialog.exec() == QDialog::Accepted) {
        pending.entry.decision = dialog.decision().trimmed();
        pending.entry.note = dialog.note().trimmed();
        if (const auto again = log_->addEntry(pending.entry)) {
            added(pending.entry, pending.eventName, *again);
            return;
        } else {
            showProblem(&dialog, again.error().message);
        }
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

void EventLogKeeper::remindIn(int minutes, bool repeat) {
    reminder_.setSingleShot(!repeat);
    reminder_.start(minutes * minuteMs_);
    remindAt_ = QDateTime::currentDateTime().addSecs(minutes * 60);
    emit status(
        QStringLiteral("Reminder to re-assess at %1%2. It works only while the program is "
                       "running.")
            .arg(remindAt_.toString(QStringLiteral("HH:mm")),
                 repeat ? QStringLiteral(", then every %1 minutes").arg(minutes) : QString()));
    emit reminderChanged(true);
}

QDateTime EventLogKeeper::nextReminder() const {
    return reminding() ? remindAt_ : QDateTime();
}

void EventLogKeeper::cancelReminder() {
    reminder_.stop();
    emit status(QStringLiteral("Reminder cancelled."));
    emit reminderChanged(false);
}

void EventLogKeeper::remind() {
    if (reminder_.isSingleShot())
        emit reminderChanged(false);
    else
        remindAt_ = QDateTime::currentDateTime().addMSecs(reminder_.interval() * 60'000LL /
                                                          std::max(1, minuteMs_));
    if (owner_->isMinimized())
        owner_->showNormal();
    owner_->raise();
    owner_->activateWindow();
    const auto event = currentEvent();
    const bool named = event && *event;
    showMessage(
        owner_,
        QStringLiteral("Time to re-assess %1.\n\nThe last assessment was added to "
                       "the log at %2%3.")
            .arg(named ? (*event)->name : QStringLiteral("the event"),
                 lastAdded_.isValid() ? lastAdded_.toString(QStringLiteral("HH:mm"))
                                      : QStringLiteral("an earlier time"),
                 lastTotal_.isEmpty() ? QString() : QStringLiteral(" (total %1)").arg(lastTotal_)));
}

} // namespace orvane::ui
