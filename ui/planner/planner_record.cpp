// The planner's plan on paper and as text: the place, the day and its forecast, the chart, the
// sentences the window shows, and every hour, with the event's own marked for a reader who sees
// no bold type.

#include "ui/planner/frm_event_planner.h"

#include "coreqt/core_qt.h"
#include "ui/charts/band_chart.h"
#include "ui/common/messages.h"
#include "ui/common/numbers.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimeEdit>

namespace orvane::ui {

std::unique_ptr<QTextDocument> frmEventPlanner::planRecord() const {
    if (plan_.empty())
        return nullptr;
    const DaySpan day = daySpan();
    RecordWriter w(QStringLiteral("Heat illness risk: event day plan"));
    w.strongLine(forecastPlace_);
    w.line(
        QStringLiteral("Coordinates: %1\u00b0, %2\u00b0 (the forecast's grid point); time zone %3")
            .arg(localNumber(forecast_->latitude, 3), localNumber(forecast_->longitude, 3),
                 QString::fromUtf8(zone_.id())));
    w.line(QStringLiteral("Date: %1; the event from %2 to %3 local time")
               .arg(date_->date().toString(Qt::ISODate), start_->time().toString("HH:mm"),
                    end_->time().toString("HH:mm")));
    w.line(QStringLiteral("Forecast fetched: %1 %2")
               .arg(fetchedAt_.toString(QStringLiteral("yyyy-MM-dd HH:mm")), zoneText(fetchedAt_)));
    w.line(kOpenMeteoCredit +
           QStringLiteral(" (CC BY 4.0). WBGT by the model of Liljegren et al. "
                          "(2008), the wind brought down to 2 m for ") +
           cboTerrain_->currentText().toLower() + QStringLiteral("."));
    w.fillInLines({QStringLiteral("Event"), QStringLiteral("Planned by")});
    w.heading(QStringLiteral("The day"));
    w.image(BandChart::printImage(chart_->model()), 680);
    for (const QLabel* label : {lblEvent_, lblCoolest_, lblGaps_, lblAnswers_})
        if (!label->text().isEmpty())
            w.smallLine(label->text());
    if (!missing_)
        w.smallLine(table_->toolTip());
    w.heading(QStringLiteral("Hour by hour"));
    w.smallLine(QStringLiteral("* marks the event's hours. WBGT ceiling: the level each hour "
                               "reaches, at which the event stops whatever the score."));
    std::vector<QStringList> rows;
    for (const PlannedHour& hour : plan_) {
        HourRow row = hourRow(hour, day, plan_);
        if (row.inEvent)
            row.cells[HourRow::Time] += QStringLiteral(" *");
        rows.push_back(row.cells);
    }
    w.table(hourHeader(), rows, {8, 6, 8, 7, 6, 10, 11, 9, 6, 12, 17});
    return w.finish(kRecordDisclaimer);
}

void frmEventPlanner::cmdSavePlan_Click() {
    const std::unique_ptr<QTextDocument> doc = planRecord();
    if (!doc)
        return;
    const QString name = safeFileName(
        QStringLiteral("Heat risk plan %1 %2.pdf")
            .arg(forecastPlace_.section(u',', 0, 0), date_->date().toString(Qt::ISODate)));
    const QString path = chooseSaveFile(this, "Save the plan as PDF", proposedSaveFolder(), name,
                                        "PDF documents (*.pdf)", "pdf");
    if (path.isEmpty())
        return;
    if (const QString error = saveRecordPdf(*doc, path, QLocale(),
                                            QStringLiteral("Heat illness risk: event day plan"));
        !error.isEmpty()) {
        showProblem(this, QStringLiteral("The plan could not be saved as \"%1\": %2.\n\nNothing "
                                         "was written; a file already there is unchanged.")
                              .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    rememberSavedFile(path);
    lblProblem_->setStyleSheet(QString());
    setProblem(QStringLiteral("Saved: %1").arg(QDir::toNativeSeparators(path)));
    lblProblem_->setStyleSheet("color: #b00000;");
}

void frmEventPlanner::cmdCopyAsText_Click() {
    if (const std::unique_ptr<QTextDocument> doc = planRecord())
        QGuiApplication::clipboard()->setText(recordText(*doc));
}

} // namespace orvane::ui
