#include "ui/eventlog/frm_event_log.h"

#include "eventlog/csv_reader.h"
#include "ui/charts/band_chart.h"
#include "ui/common/messages.h"
#include "ui/eventlog/event_log_keeper.h"
#include "ui/eventlog/log_entries.h"
#include "ui/record/assessment_record.h"

#include "core/evaluation.h"
#include "coreqt/core_qt.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace orvane::ui {
namespace {

enum Column { Time, Temperature, Total, Band, Ceiling, Decision, Note, Columns };

} // namespace

frmEventLog::frmEventLog(QWidget* owner, EventLogKeeper* keeper)
    : ToolWindow(owner), keeper_(keeper) {
    setObjectName("frmEventLog");
    setWindowTitle("Event Log");

    lstEvents_ = new QListWidget;
    lstEvents_->setObjectName("lstEvents");
    lstEvents_->setAccessibleName("Events, newest first");
    lstEvents_->setWordWrap(true);
    lstEvents_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstEvents_->setMinimumWidth(220);
    auto* newEvent = new QPushButton("&New Event\u2026");
    newEvent->setObjectName("cmdNewEvent");
    auto* importCsv = new QPushButton("&Import CSV\u2026");
    importCsv->setObjectName("cmdImportCsv");
    importCsv->setToolTip("Takes in a day's CSV from this program or its web edition, such as "
                          "a day logged on a phone.");
    cmdUseEvent_ = new QPushButton("New Assessments &Here");
    cmdUseEvent_->setObjectName("cmdUseEvent");
    cmdUseEvent_->setToolTip("Assessments added from the calculator go to the event chosen here.");
    lblCurrent_ = new QLabel;
    lblCurrent_->setObjectName("lblCurrent");
    lblCurrent_->setTextFormat(Qt::PlainText);
    lblCurrent_->setWordWrap(true);
    auto* left = new QVBoxLayout;
    auto* eventsLabel = new QLabel("E&vents:");
    eventsLabel->setBuddy(lstEvents_);
    left->addWidget(eventsLabel);
    left->addWidget(lstEvents_, 1);
    left->addWidget(lblCurrent_);
    left->addWidget(cmdUseEvent_);
    left->addWidget(newEvent);
    left->addWidget(importCsv);

    chtTimeline_ = new BandChart;
    chtTimeline_->setObjectName("chtTimeline");
    chtTimeline_->setAccessibleName("Timeline of the totals over the day");
    tblEntries_ = new QTableWidget(0, Columns);
    tblEntries_->setObjectName("tblEntries");
    tblEntries_->setAccessibleName("Assessments of the day");
    tblEntries_->setHorizontalHeaderLabels(
        {"Time", "Temperature", "Total", "Band", "WBGT ceiling", "Decision", "Note"});
    tblEntries_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblEntries_->setTabKeyNavigation(false); // Tab leaves the table for the buttons below
    tblEntries_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblEntries_->setSelectionMode(QAbstractItemView::SingleSelection);
    tblEntries_->verticalHeader()->hide();
    tblEntries_->horizontalHeader()->setStretchLastSection(true);
    tblEntries_->setWordWrap(false);

    cmdStrikeOut_ = new QPushButton("&Strike Out\u2026");
    cmdStrikeOut_->setObjectName("cmdStrikeOut");
    cmdLoadAnswers_ = new QPushButton("&Load These Answers");
    cmdLoadAnswers_->setObjectName("cmdLoadAnswers");
    cmdLoadAnswers_->setToolTip("Puts this assessment's answers back in the calculator, to "
                                "re-assess by changing only what changed.");
    cmdDayReport_ = new QPushButton("&Day Report as PDF\u2026");
    cmdDayReport_->setObjectName("cmdDayReport");
    cmdExportCsv_ = new QPushButton("&Export CSV\u2026");
    cmdExportCsv_->setObjectName("cmdExportCsv");
    auto* close = new QPushButton("Close");
    close->setObjectName("cmdClose");
    lblStatus_ = new QLabel;
    lblStatus_->setObjectName("lblStatus");
    lblStatus_->setTextFormat(Qt::PlainText);
    lblStatus_->setWordWrap(true);
    lblStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdLoadAnswers_, cmdStrikeOut_, cmdDayReport_, cmdExportCsv_})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* right = new QVBoxLayout;
    right->addWidget(chtTimeline_, 2);
    right->addWidget(tblEntries_, 3);
    right->addLayout(buttons);
    right->addWidget(lblStatus_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 4);
    resize(980, 640);

    retry_.setSingleShot(true);
    retry_.setInterval(EventLogKeeper::kRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] { reload(retryEvent_); });
    connect(lstEvents_, &QListWidget::currentRowChanged, this, &frmEventLog::displayEvent);
    connect(tblEntries_, &QTableWidget::itemSelectionChanged, this, &frmEventLog::updateButtons);
    connect(newEvent, &QPushButton::clicked, this, &frmEventLog::cmdNewEvent_Click);
    connect(importCsv, &QPushButton::clicked, this, &frmEventLog::cmdImportCsv_Click);
    connect(cmdUseEvent_, &QPushButton::clicked, this, [this] {
        if (const qint64 id = shownEventId()) {
            keeper_->useEvent(id);
            reload(id);
        }
    });
    connect(cmdLoadAnswers_, &QPushButton::clicked, this, &frmEventLog::cmdLoadAnswers_Click);
    connect(cmdStrikeOut_, &QPushButton::clicked, this, &frmEventLog::cmdStrikeOut_Click);
    connect(cmdDayReport_, &QPushButton::clicked, this, &frmEventLog::cmdDayReport_Click);
    connect(cmdExportCsv_, &QPushButton::clicked, this, &frmEventLog::cmdExportCsv_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    const auto current = keeper_->currentEvent();
    reload(current && *current ? (*current)->id : 0);
    lstEvents_->setFocus();
}

bool frmEventLog::retryIfBusy(const eventlog::LogError& error, qint64 eventId) {
    if (error.kind != eventlog::LogError::Kind::Busy)
        return false;
    // Another program writes: the window goes on, and looks again in a moment.
    lblStatus_->setText(QStringLiteral("The event log is in use by another program: it is read "
                                       "again in a moment."));
    retryEvent_ = eventId;
    retry_.start();
    return true;
}

const eventlog::Event* frmEventLog::shownEvent() const {
    const int row = lstEvents_->currentRow();
    return row >= 0 && row < events_.size() ? &events_[row] : nullptr;
}

qint64 frmEventLog::shownEventId() const {
    const int row = lstEvents_->currentRow();
    return row >= 0 && row < events_.size() ? events_[row].id : 0;
}

void frmEventLog::reload(qint64 eventId) {
    if (eventId == 0)
        eventId = shownEventId();
    eventlog::EventLog* log = keeper_->log();
    auto events =
        log ? log->events() : eventlog::Result<QList<eventlog::Event>>(QList<eventlog::Event>{});
    if (!events) {
        if (!retryIfBusy(events.error(), eventId))
            lblStatus_->setText(events.error().message);
        return;
    }
    events_ = *events;
    const auto current = keeper_->currentEvent();
    currentId_ = current && *current ? (*current)->id : 0;
    lblCurrent_->setText(current && *current
                             ? QStringLiteral("New assessments go to: %1").arg((*current)->name)
                             : QStringLiteral("New assessments go to the event chosen when the "
                                              "first is added."));
    const QSignalBlocker block(lstEvents_);
    lstEvents_->clear();
    int select = events_.isEmpty() ? -1 : 0;
    for (int i = 0; i < events_.size(); ++i) {
        const eventlog::Event& e = events_[i];
        // Struck-out entries are counted apart: they are kept, but are not assessments of the day.
        const int kept = e.entryCount - e.struckCount;
        QString count = QStringLiteral("%1 %2").arg(kept).arg(
            kept == 1 ? QStringLiteral("assessment") : QStringLiteral("assessments"));
        if (e.struckCount > 0)
            count += QStringLiteral(" (%1 struck out)").arg(e.struckCount);
        lstEvents_->addItem(
            QStringLiteral("%1%2\n%3%4 \u2014 %5")
                .arg(e.name,
                     e.id == currentId_ ? QStringLiteral("  \u25c0 new assessments") : QString(),
                     e.date.toString(Qt::ISODate),
                     e.place.isEmpty() ? QString() : QStringLiteral(", ") + e.place, count));
        if (e.id == eventId)
            select = i;
    }
    lstEvents_->setCurrentRow(select);
    displayEvent(select);
}

void frmEventLog::displayEvent(int row) {
    entries_.clear();
    tblEntries_->setRowCount(0);
    if (row < 0 || row >= events_.size()) {
        chtTimeline_->setModel({});
        updateButtons();
        return;
    }
    const eventlog::Event& event = events_[row];
    auto entries = keeper_->log()->entries(event.id);
    if (!entries) {
        if (!retryIfBusy(entries.error(), event.id))
            lblStatus_->setText(entries.error().message);
        chtTimeline_->setModel({});
        updateButtons();
        return;
    }
    entries_ = *entries;
    chtTimeline_->setModel(timelineModel(event, entries_));
    tblEntries_->setRowCount(int(entries_.size()));
    for (int r = 0; r < entries_.size(); ++r) {
        const eventlog::Entry& e = entries_[r];
        QString band = bandText(e);
        if (e.bandRose)
            band += QStringLiteral("  \u25b2 rose");
        QString note = e.note;
        if (e.struck)
            note = QStringLiteral("Struck out: %1. %2").arg(e.struck->reason, note).trimmed();
        const Assessment& a = e.assessment;
        const QString cells[Columns] = {entryTime(event, e),
                                        temperatureText(e),
                                        a.referral ? QStringLiteral("\u2014") : qs(a.total),
                                        band,
                                        ceilingText(e),
                                        e.decision,
                                        note};
        const int rank = a.referral ? 3 : a.band ? a.band->rank : -1;
        for (int c = 0; c < Columns; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == Band && rank >= 0) {
                // The band's ink on its shade reads the same under any palette.
                item->setForeground(bandInk(rank));
                item->setBackground(bandShade(rank));
            }
            if (c == Ceiling && a.ceiling.shown()) {
                item->setForeground(bandInk(3));
                item->setBackground(bandShade(3));
                item->setToolTip(qs(a.ceiling.text));
            }
            if (c == Band && e.bandRose)
                item->setToolTip("The band is higher than at the assessment before.");
            if (e.struck) {
                QFont struck = item->font();
                struck.setStrikeOut(c != Note);
                item->setFont(struck);
                item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
            }
            tblEntries_->setItem(r, c, item);
        }
    }
    tblEntries_->resizeColumnsToContents();
    updateButtons();
}

void frmEventLog::updateButtons() {
    const int row = tblEntries_->currentRow();
    const bool chosen =
        tblEntries_->selectionModel()->hasSelection() && row >= 0 && row < entries_.size();
    cmdStrikeOut_->setEnabled(chosen && !entries_[row].struck);
    cmdLoadAnswers_->setEnabled(chosen);
    cmdDayReport_->setEnabled(shownEventId() != 0);
    cmdExportCsv_->setEnabled(shownEventId() != 0);
    cmdUseEvent_->setEnabled(shownEventId() != 0 && shownEventId() != currentId_);
}

void frmEventLog::cmdNewEvent_Click() {
    if (const auto id = keeper_->newEvent())
        reload(*id);
}

void frmEventLog::cmdImportCsv_Click() {
    const QString path = chooseOpenFile(this, "Import a day's CSV", proposedSaveFolder(),
                                        "CSV files (*.csv);;All files (*)");
    if (path.isEmpty())
        return;
    const auto read = eventlog::readEventCsvFile(path);
    if (const auto* refused = std::get_if<QString>(&read)) {
        showProblem(this, *refused);
        return;
    }
    const auto count = keeper_->log()->importDays(std::get<QList<eventlog::ImportedDay>>(read));
    if (!count) {
        showProblem(this, count.error().message + QStringLiteral("\n\nNothing was imported."));
        return;
    }
    reload(count->events.isEmpty() ? 0 : count->events.front());
    lblStatus_->setText(QStringLiteral("Imported %1: %2 added, %3 already in the log.")
                            .arg(QDir::toNativeSeparators(path))
                            .arg(count->added)
                            .arg(count->skipped));
}

void frmEventLog::cmdLoadAnswers_Click() {
    const int row = tblEntries_->currentRow();
    if (row < 0 || row >= entries_.size())
        return;
    emit keeper_->answersToLoad(entries_[row].assessment.answers);
    lblStatus_->setText(QStringLiteral("The answers of %1 are in the calculator: change what "
                                       "changed, then \"Calculate Total:\".")
                            .arg(entryName(entries_[row])));
}

QString frmEventLog::entryName(const eventlog::Entry& entry) const {
    // Two assessments can share a minute: the total tells them apart.
    const QString time = entry.time().toString(QStringLiteral("HH:mm"));
    return entry.assessment.referral
               ? QStringLiteral("the assessment of %1 (medical referral)").arg(time)
               : QStringLiteral("the assessment of %1 (total %2)")
                     .arg(time, qs(entry.assessment.total));
}

void frmEventLog::cmdStrikeOut_Click() {
    const int row = tblEntries_->currentRow();
    if (row < 0 || row >= entries_.size() || entries_[row].struck)
        return;
    const eventlog::Entry entry = entries_[row];
    QString reason;
    for (;;) {
        bool ok = false;
        reason = QInputDialog::getText(this, "Strike Out",
                                       QStringLiteral("Why is %1 struck out? It stays in the log, "
                                                      "marked, and leaves the timeline.")
                                           .arg(entryName(entry)),
                                       QLineEdit::Normal, reason, &ok)
                     .trimmed();
        if (!ok)
            return;
        if (!reason.isEmpty())
            break;
        // Asked again: a strike-out without its reason is never taken, nor dropped unsaid.
        showMessage(this, "An entry is struck out only with a reason: type why.");
    }
    const auto struck = keeper_->log()->strikeOut(entry.id, reason.left(eventlog::kMaxNoteLength));
    if (!struck) {
        showProblem(this, struck.error().message);
        return;
    }
    reload();
}

void frmEventLog::cmdDayReport_Click() {
    const int row = lstEvents_->currentRow();
    if (row < 0)
        return;
    const eventlog::Event& event = events_[row];
    const QString path =
        chooseSaveFile(this, "Save the day report as PDF", proposedSaveFolder(),
                       safeFileName(QStringLiteral("Heat risk day report %1 %2.pdf")
                                        .arg(event.name, event.date.toString(Qt::ISODate))),
                       "PDF documents (*.pdf)", "pdf");
    if (path.isEmpty())
        return;
    const std::unique_ptr<QTextDocument> report = buildDayReport(event, entries_);
    if (const QString error = saveRecordPdf(*report, path, QLocale(),
                                            QStringLiteral("Heat illness risk: day report"));
        !error.isEmpty()) {
        showProblem(this, QStringLiteral("The day report could not be saved as \"%1\": %2.\n\n"
                                         "Nothing was written; a file already there is unchanged.")
                              .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    rememberSavedFile(path);
    lblStatus_->setText(QStringLiteral("Saved: %1").arg(QDir::toNativeSeparators(path)));
}

void frmEventLog::cmdExportCsv_Click() {
    const int row = lstEvents_->currentRow();
    if (row < 0)
        return;
    const eventlog::Event& event = events_[row];
    const auto csv = keeper_->log()->csv(event.id);
    if (!csv) {
        showProblem(this, csv.error().message);
        return;
    }
    const QString path = chooseSaveFile(
        this, "Export the event as CSV", proposedSaveFolder(),
        safeFileName(QStringLiteral("%1 %2.csv").arg(event.name, event.date.toString(Qt::ISODate))),
        "CSV files (*.csv)", "csv");
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*csv) != csv->size() || !file.commit()) {
        showProblem(this, QStringLiteral("The CSV could not be saved as \"%1\": %2.\n\nNothing was "
                                         "written; a file already there is unchanged.")
                              .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    rememberSavedFile(path);
    lblStatus_->setText(QStringLiteral("Saved: %1").arg(QDir::toNativeSeparators(path)));
}

} // namespace orvane::ui
