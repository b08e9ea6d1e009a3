#pragma once

// The event log's two questions to the organizer: which event the assessments belong to (one
// already in the log, or a new one), and, for each entry, the decision taken and a note.

#include "eventlog/event_log.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;

namespace orvane::ui {

class dlgChooseEvent : public QDialog {
    Q_OBJECT

public:
    // What the new event's fields offer: the planner's place and date, where it has them.
    struct Suggestion {
        QString place;
        QDate date;
    };
    // For the assessments to come: an event in the log, or a new one. `newOnly`: a new event
    // alone, from the Event Log window, which becomes the one assessments go to only when asked.
    dlgChooseEvent(const QList<eventlog::Event>& events, const Suggestion& suggestion, bool newOnly,
                   QWidget* parent);

    // The event chosen from the log, or none when a new one is to be started.
    std::optional<qint64> chosenId() const;
    // The new event as typed (name, place, date).
    eventlog::Event newEvent() const;
    // Whether new assessments go to the event made (always, unless newOnly).
    bool addAssessmentsHere() const;

private:
    void updateOk();

    QList<eventlog::Event> events_;
    QRadioButton* existing_ = nullptr;
    QRadioButton* fresh_ = nullptr;
    QListWidget* list_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* place_ = nullptr;
    QDateEdit* date_ = nullptr;
    QCheckBox* here_ = nullptr;
    QPushButton* ok_ = nullptr;
};

class dlgAddEntry : public QDialog {
    Q_OBJECT

public:
    // The button that asks for another event ends the dialog with this code.
    static constexpr int ChangeEvent = 2;

    dlgAddEntry(const QString& eventName, const QString& result, QWidget* parent);

    QString decision() const;
    QString note() const;
    void setEventName(const QString& name);
    // What was typed before, for an entry that could not be added and comes back.
    void setTyped(const QString& decision, const QString& note);

private:
    QLabel* event_ = nullptr;
    QLineEdit* decision_ = nullptr;
    QPlainTextEdit* note_ = nullptr;
};

} // namespace orvane::ui
