#pragma once

// What the event log's windows make of an assessment and of a day's entries: the entry that an
// assessment on screen becomes, the timeline of a day, the day report and a band's colour. Kept
// apart from the windows so that each can be checked without one.

#include "eventlog/event_log.h"
#include "ui/charts/band_chart.h"
#include "ui/charts/band_colors.h"
#include "ui/record/assessment_record.h"

#include <QColor>

#include <memory>

class QTextDocument;

namespace orvane::ui {

// The entry for an assessment, with the decision taken and a note.
eventlog::Entry entryFor(const Assessment& assessment, const QString& decision,
                         const QString& note);

// "MODERATE RISK (56 to 65)", "referral", or empty.
QString bandText(const eventlog::Entry& entry);
// The temperature's answer and how it was given, e.g. "73-81.9 (estimated)".
QString temperatureText(const eventlog::Entry& entry);

// The day's totals over time, the score bands behind them, and the WBGT on a second axis where
// question 1 was answered with one. Struck-out entries are left out; a band that rose since the
// entry before is marked.
ChartModel timelineModel(const eventlog::Event& event, const QList<eventlog::Entry>& entries);

// The day report: the event, the timeline, every entry, and lines for the responsible person.
std::unique_ptr<QTextDocument> buildDayReport(const eventlog::Event& event,
                                              const QList<eventlog::Entry>& entries);

} // namespace orvane::ui
