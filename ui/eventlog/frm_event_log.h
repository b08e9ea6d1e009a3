#pragma once

// The Event Log window: the events in the log, newest first, and for the chosen one its day on
// a timeline (the totals over the bands, the WBGT beside them) above a table of every
// assessment with the decision taken. Entries are never edited: a mistake is struck out with a
// reason and stays, marked. The day goes out as a PDF report or a CSV for a spreadsheet, and a
// day's CSV comes in, such as one logged on a phone with the web edition. The window belongs to
// the calculator and closes with it.

#include "eventlog/event_log.h"
#include "ui/common/tool_window.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace orvane::ui {

class BandChart;
class EventLogKeeper;

class frmEventLog : public ToolWindow {
    Q_OBJECT

public:
    frmEventLog(QWidget* owner, EventLogKeeper* keeper);

    // Reads the log again and shows this event (0: the one shown, else the newest).
    void reload(qint64 eventId = 0);
    qint64 shownEventId() const;
    // The event shown and its entries as read, or nothing while none is.
    const eventlog::Event* shownEvent() const;
    const QList<eventlog::Entry>& shownEntries() const { return entries_; }

    void cmdNewEvent_Click();
    void cmdImportCsv_Click();
    void cmdLoadAnswers_Click();
    void cmdStrikeOut_Click();
    void cmdDayReport_Click();
    void cmdExportCsv_Click();

private:
    void displayEvent(int row);
    void updateButtons();
    // A read the log refused while another program writes: said, and tried again in a moment.
    bool retryIfBusy(const eventlog::LogError& error, qint64 eventId);
    // "the assessment of 06:42 (total 57)", for a person choosing among entries.
    QString entryName(const eventlog::Entry& entry) const;

    EventLogKeeper* keeper_;
    QList<eventlog::Event> events_;
    qint64 currentId_ = 0; // the event assessments go to
    QTimer retry_;         // reads again after another program's write
    qint64 retryEvent_ = 0;
    QList<eventlog::Entry> entries_;
    QListWidget* lstEvents_ = nullptr;
    BandChart* chtTimeline_ = nullptr;
    QTableWidget* tblEntries_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QLabel* lblCurrent_ = nullptr;
    QPushButton* cmdUseEvent_ = nullptr;
    QPushButton* cmdLoadAnswers_ = nullptr;
    QPushButton* cmdStrikeOut_ = nullptr;
    QPushButton* cmdDayReport_ = nullptr;
    QPushButton* cmdExportCsv_ = nullptr;
};

} // namespace orvane::ui
