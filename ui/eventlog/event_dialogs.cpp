#include "ui/eventlog/event_dialogs.h"

#include <QCheckBox>
#include <QCompleter>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace orvane::ui {

dlgChooseEvent::dlgChooseEvent(const QList<eventlog::Event>& events, const Suggestion& suggestion,
                               bool newOnly, QWidget* parent)
    : QDialog(parent), events_(events) {
    setObjectName("dlgChooseEvent");
    setWindowTitle(newOnly ? "New Event" : "Event for the Log");
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(newOnly ? "A new event in the log, for its day's assessments."
                                     : "Assessments are added to one event. Which is it?");
    intro->setWordWrap(true);
    layout->addWidget(intro);

    existing_ = new QRadioButton("An &event already in the log:");
    list_ = new QListWidget;
    list_->setObjectName("lstEvents");
    list_->setAccessibleName("Events in the log, newest first");
    const QDate today = QDate::currentDate();
    for (const eventlog::Event& event : events) {
        QString text =
            QStringLiteral("%1 \u2014 %2").arg(event.name, event.date.toString(Qt::ISODate));
        if (!event.place.isEmpty())
            text += QStringLiteral(", ") + event.place;
        if (event.date == today)
            text += QStringLiteral(" (today)");
        list_->addItem(text);
    }
    // A new event offers the planner's place and date: usually the day just planned.
    place_ = new QLineEdit(suggestion.place);
    fresh_ = new QRadioButton("A &new event:");
    name_ = new QLineEdit;
    name_->setMaxLength(eventlog::kMaxNameLength);
    name_->setObjectName("txtEventName");
    name_->setAccessibleName("Name of the new event");
    place_->setObjectName("txtEventPlace");
    place_->setAccessibleName("Place of the new event");
    date_ = new QDateEdit(suggestion.date.isValid() ? suggestion.date : today);
    date_->setObjectName("dtEventDate");
    date_->setCalendarPopup(true);
    date_->setDisplayFormat("yyyy-MM-dd");
    date_->setAccessibleName("Date of the new event");
    place_->setMaxLength(eventlog::kMaxNameLength);
    auto* form = new QFormLayout;
    form->addRow("Na&me:", name_);
    form->addRow("&Place:", place_);
    form->addRow("&Date:", date_);
    here_ = new QCheckBox("Add new &assessments here");
    here_->setObjectName("chkAddHere");
    here_->setChecked(!newOnly);

    layout->addWidget(existing_);
    layout->addWidget(list_);
    layout->addWidget(fresh_);
    layout->addLayout(form);
    layout->addWidget(here_);
    // From the Event Log window an event is made, not chosen; where assessments go changes only
    // when the box is ticked.
    existing_->setVisible(!newOnly);
    list_->setVisible(!newOnly);
    fresh_->setVisible(!newOnly);
    here_->setVisible(newOnly);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText("Use This Event");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // Typing a name or picking an event chooses that way of answering.
    connect(name_, &QLineEdit::textEdited, this, [this] {
        fresh_->setChecked(true);
        updateOk();
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            existing_->setChecked(true);
        updateOk();
    });
    connect(existing_, &QRadioButton::toggled, this, &dlgChooseEvent::updateOk);
    existing_->setEnabled(!events.isEmpty() && !newOnly);
    (events.isEmpty() || newOnly ? fresh_ : existing_)->setChecked(true);
    if (!events.isEmpty() && !newOnly)
        list_->setCurrentRow(0);
    (events.isEmpty() || newOnly ? static_cast<QWidget*>(name_) : list_)->setFocus();
    updateOk();
}

bool dlgChooseEvent::addAssessmentsHere() const {
    return here_->isChecked();
}

void dlgChooseEvent::updateOk() {
    ok_->setEnabled(existing_->isChecked() ? list_->currentRow() >= 0
                                           : !name_->text().trimmed().isEmpty());
}

std::optional<qint64> dlgChooseEvent::chosenId() const {
    if (!existing_->isChecked() || list_->currentRow() < 0)
        return std::nullopt;
    return events_[list_->currentRow()].id;
}

eventlog::Event dlgChooseEvent::newEvent() const {
    eventlog::Event event;
    event.name = name_->text().trimmed();
    event.place = place_->text().trimmed();
    event.date = date_->date();
    return event;
}

dlgAddEntry::dlgAddEntry(const QString& eventName, const QString& result, QWidget* parent)
    : QDialog(parent) {
    setObjectName("dlgAddEntry");
    setWindowTitle("Add to Event Log");
    auto* form = new QFormLayout(this);
    // The event's name comes from the log, which may come from elsewhere: never markup.
    event_ = new QLabel(eventName);
    event_->setObjectName("lblEvent");
    event_->setTextFormat(Qt::PlainText);
    event_->setWordWrap(true);
    form->addRow("Added to:", event_);
    form->addRow("Result:", new QLabel(result));
    decision_ = new QLineEdit;
    decision_->setMaxLength(eventlog::kMaxNameLength);
    decision_->setObjectName("txtDecision");
    decision_->setAccessibleName("Decision taken");
    decision_->setPlaceholderText("optional, e.g. go ahead with extra drink breaks");
    // The usual decisions, offered as the first letters are typed.
    auto* usual = new QCompleter(
        QStringList{"Go ahead as planned", "Go ahead with extra precautions",
                    "Shorten or change the event", "Postpone the event", "Cancel the event"},
        decision_);
    usual->setCaseSensitivity(Qt::CaseInsensitive);
    decision_->setCompleter(usual);
    form->addRow("&Decision taken:", decision_);
    note_ = new QPlainTextEdit;
    note_->setObjectName("txtNote");
    note_->setAccessibleName("Note");
    note_->setTabChangesFocus(true);
    note_->setFixedHeight(note_->fontMetrics().height() * 4 + 12);
    // A note is a few sentences, not a book: typing and pasting stop at its length.
    connect(note_, &QPlainTextEdit::textChanged, this, [this] {
        if (note_->document()->characterCount() - 1 <= eventlog::kMaxNoteLength)
            return;
        QTextCursor cursor(note_->document());
        cursor.setPosition(eventlog::kMaxNoteLength);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    });
    form->addRow("&Note:", note_);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton("&Add to Log", QDialogButtonBox::AcceptRole)->setObjectName("cmdAdd");
    QPushButton* change = buttons->addButton("Change &Event\u2026", QDialogButtonBox::ActionRole);
    change->setObjectName("cmdChangeEvent");
    buttons->addButton(QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(change, &QPushButton::clicked, this, [this] { done(ChangeEvent); });
    decision_->setFocus();
}

QString dlgAddEntry::decision() const {
    return decision_->text();
}

void dlgAddEntry::setEventName(const QString& name) {
    event_->setText(name);
}

void dlgAddEntry::setTyped(const QString& decision, const QString& note) {
    decision_->setText(decision);
    note_->setPlainText(note);
}

QString dlgAddEntry::note() const {
    return note_->toPlainText();
}

} // namespace orvane::ui
