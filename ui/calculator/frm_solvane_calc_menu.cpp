// The calculator's Assessment menu: the record of the last calculation (saved, printed or
// copied), the event log, and the tool windows that help with question 1.

#include "ui/calculator/frm_solvane_calc.h"

#include "coreqt/core_qt.h"
#include "settings/settings.h"
#include "ui/calculator/frm_wbgt_estimator.h"
#include "ui/calculator/pick_list.h"
#include "ui/common/messages.h"
#include "ui/common/tool_window.h"
#include "ui/eventlog/event_log_keeper.h"
#include "ui/planner/frm_event_planner.h"
#include "ui/record/assessment_record.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

namespace orvane::ui {

void frm_Solvane_Calc::buildMenu() {
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName("mnuBar");
    QMenu* menu = menuBar_->addMenu(QStringLiteral("&Assessment"));
    menu->setObjectName("mnuAssessment");
    menu->setAccessibleName(QStringLiteral("Assessment"));
    auto action = [&](const char* name, const QString& text, const QString& accessible,
                      const QKeySequence& keys, void (frm_Solvane_Calc::*handler)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        a->setShortcut(keys);
        a->setShortcutVisibleInContextMenu(true);
        a->setToolTip(accessible);
        a->setWhatsThis(accessible);
        a->setEnabled(false);
        // Shortcuts work in the whole window, not only while the menu is open.
        addAction(a);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    actSaveAsPdf_ =
        action("mnuSaveAsPdf", QStringLiteral("&Save as PDF\u2026"),
               QStringLiteral("Save the assessment record as PDF"),
               QKeySequence(Qt::CTRL | Qt::Key_S), &frm_Solvane_Calc::mnuSaveAsPdf_Click);
    actPrint_ = action("mnuPrint", QStringLiteral("&Print\u2026"),
                       QStringLiteral("Print the assessment record"),
                       QKeySequence(Qt::CTRL | Qt::Key_P), &frm_Solvane_Calc::mnuPrint_Click);
    actCopyAsText_ = action("mnuCopyAsText", QStringLiteral("&Copy as Text"),
                            QStringLiteral("Copy the assessment record as text"),
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                            &frm_Solvane_Calc::mnuCopyAsText_Click);
    menu->addSeparator();
    actAddToEventLog_ =
        action("mnuAddToEventLog", QStringLiteral("Add to Event &Log\u2026"),
               QStringLiteral("Add the assessment to the event log"),
               QKeySequence(Qt::CTRL | Qt::Key_L), &frm_Solvane_Calc::mnuAddToEventLog_Click);
    // The reminder is offered once something was added, since it names the last assessment.
    mnuRemind_ = menu->addMenu(QStringLiteral("&Remind Me to Re-assess"));
    mnuRemind_->setObjectName("mnuRemind");
    mnuRemind_->setEnabled(false);
    for (const int minutes : {15, 30, 60}) {
        QAction* in = mnuRemind_->addAction(QStringLiteral("In %1 Minutes").arg(minutes));
        in->setObjectName(QStringLiteral("mnuRemind%1").arg(minutes));
        connect(in, &QAction::triggered, this, [this, minutes] { eventLog_->remindIn(minutes); });
    }
    QAction* every = mnuRemind_->addAction(QStringLiteral("&Every 30 Minutes until Cancelled"));
    every->setObjectName("mnuRemindEvery30");
    connect(every, &QAction::triggered, this, [this] { eventLog_->remindIn(30, true); });
    QAction* cancel = mnuRemind_->addAction(QStringLiteral("&Cancel the Reminder"));
    cancel->setObjectName("mnuRemindCancel");
    cancel->setEnabled(false);
    connect(cancel, &QAction::triggered, this, [this] { eventLog_->cancelReminder(); });
    action("mnuEventLog", QStringLiteral("E&vent Log\u2026"), QStringLiteral("Show the event log"),
           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L), &frm_Solvane_Calc::mnuEventLog_Click)
        ->setEnabled(true);
    menu->addSeparator();
    action("mnuPlanEventDay", QStringLiteral("Plan the Event &Day\u2026"),
           QStringLiteral("Plan the event day from the hourly weather forecast"),
           QKeySequence(Qt::CTRL | Qt::Key_D), &frm_Solvane_Calc::mnuPlanEventDay_Click)
        ->setEnabled(true);
    action("mnuEstimateWbgt", QStringLiteral("&Estimate WBGT\u2026"),
           QStringLiteral("Estimate the wet bulb globe temperature from the weather"),
           QKeySequence(Qt::CTRL | Qt::Key_E), &frm_Solvane_Calc::mnuEstimateWbgt_Click)
        ->setEnabled(true);

    eventLog_ = new EventLogKeeper(this);
    connect(eventLog_, &EventLogKeeper::status, this, &frm_Solvane_Calc::setStatus);
    connect(eventLog_, &EventLogKeeper::entryAdded, this, [this] { mnuRemind_->setEnabled(true); });
    connect(eventLog_, &EventLogKeeper::reminderChanged, cancel, &QAction::setEnabled);
    connect(eventLog_, &EventLogKeeper::answersToLoad, this, &frm_Solvane_Calc::loadAnswers);
    // A new event offers the place and date of the day being planned.
    eventLog_->setSuggestion([this]() -> dlgChooseEvent::Suggestion {
        if (planner_ && planner_->isVisible()) {
            const auto planned = planner_->placeAndDate();
            return {planned.place, planned.date};
        }
        return {settings::plannerPlace.value() == QLatin1String("Coordinates")
                    ? QString()
                    : settings::plannerPlace.value(),
                QDate()};
    });
}

void frm_Solvane_Calc::mnuSaveAsPdf_Click() {
    const QTextDocument* doc = record();
    if (!doc)
        return;
    const QString path =
        chooseSaveFile(this, QStringLiteral("Save the assessment as PDF"), proposedSaveFolder(),
                       recordFileName(localTime(shown_->at)),
                       QStringLiteral("PDF documents (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    if (const QString error = saveRecordPdf(*doc, path, QLocale()); !error.isEmpty()) {
        showProblem(this, QStringLiteral("The assessment could not be saved as \"%1\": %2.\n\n"
                                         "Nothing was written; a file already there is unchanged.")
                              .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    rememberSavedFile(path);
    setStatus(QStringLiteral("Saved: %1").arg(QDir::toNativeSeparators(path)));
}

void frm_Solvane_Calc::mnuPrint_Click() {
    const QTextDocument* doc = record();
    if (!doc)
        return;
    QPrinter printer(QPrinter::HighResolution);
    prepareRecordPrinter(printer, QLocale(), localTime(shown_->at));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (const QString error = printRecord(*doc, printer); !error.isEmpty())
        showProblem(this, QStringLiteral("The assessment could not be printed: %1.").arg(error));
}

void frm_Solvane_Calc::mnuEstimateWbgt_Click() {
    // Beside the calculator: over it, it would hide question 1, which it answers.
    showToolWindow(estimator_, this, [this] {
        auto* estimator = new frmWbgtEstimator(this, wbgtLocked());
        connect(this, &frm_Solvane_Calc::wbgtLockChanged, estimator,
                &frmWbgtEstimator::setQuestionOneLocked);
        connect(estimator, &frmWbgtEstimator::useInQuestionOne, this,
                [this](int option, const AnswerSource& source) {
                    chooseOption(QStringLiteral("WBGT"), option, source);
                });
        return estimator;
    });
}

void frm_Solvane_Calc::chooseOption(const QString& key, int index, const AnswerSource& source) {
    PickList* list = lists_.at(key);
    list->setCurrentIndex(index);
    incomingSource_ = source;
    emit list->activated(index);
    incomingSource_ = {}; // in case the list had no handler to take it
}

void frm_Solvane_Calc::mnuPlanEventDay_Click() {
    showToolWindow(planner_, this, [this] {
        auto* planner = new frmEventPlanner(this, wbgtLocked(), pointsTexts());
        connect(this, &frm_Solvane_Calc::wbgtLockChanged, planner,
                &frmEventPlanner::setQuestionOneLocked);
        connect(this, &frm_Solvane_Calc::answersChanged, planner,
                [this, planner] { planner->setAnswers(pointsTexts()); });
        connect(planner, &frmEventPlanner::useInQuestionOne, this,
                [this](int option, const AnswerSource& source) {
                    chooseOption(QStringLiteral("WBGT"), option, source);
                });
        return planner;
    });
}

void frm_Solvane_Calc::mnuAddToEventLog_Click() {
    if (const Assessment* shown = currentAssessment())
        eventLog_->add(*shown);
}

void frm_Solvane_Calc::mnuEventLog_Click() {
    eventLog_->openWindow();
}

void frm_Solvane_Calc::mnuCopyAsText_Click() {
    if (const QTextDocument* doc = record())
        QGuiApplication::clipboard()->setText(recordText(*doc));
}

} // namespace orvane::ui
