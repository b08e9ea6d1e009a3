#pragma once

// The event log's two questions to the organizer: which event the assessments belong to (one
// already in the log, or a new one), and, for each entry, the decision taken and a note.

#include "eventlog/event_log.h"

#include <QDialog>

#include <optional>

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
    dlgChooseEvent(const QList<eventlog::Event>& events, QWidget* parent);

    // The event chosen from the log, or none when a new one is to be started.
    std::optional<qint64> chosenId() const;
    // The new event as typed (name, place, date).
    eventlog::Event newEvent() const;

private:
    void updateOk();

    QList<eventlog::Event> events_;
    QRadioButton* existing_ = nullptr;
    QRadioButton* fresh_ = nullptr;
    QListWidget* list_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* place_ = nullptr;
    QDateEdit* date_ = nullptr;
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

private:
    QLabel* event_ = nullptr;
    QLineEdit* decision_ = nullptr;
    QPlainTextEdit* note_ = nullptr;
};

} // namespace orvane::ui
