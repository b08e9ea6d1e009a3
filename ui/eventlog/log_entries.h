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
// The temperature's answer and how it was given, e.g. "WBGT 82-85.9 (estimated 84.3 °F)".
QString temperatureText(const eventlog::Entry& entry);
// The WBGT ceiling the assessment showed: its rule's name, "not known (air temperature)", empty
// for none, or "not judged" for an entry from before the program judged one.
QString ceilingText(const eventlog::Entry& entry);
// The entry's local time, with its date where that is not the event's.
QString entryTime(const eventlog::Event& event, const eventlog::Entry& entry);

// How much of a note the day report prints: a page of text, not a book.
inline constexpr int kPrintedNoteLength = 600;
// The note as the day report prints it: cut, with a mark, past kPrintedNoteLength.
QString printedNote(const QString& text);

// The day's totals over time, the score bands behind them, and the WBGT on a second axis where
// question 1 was answered with one. Struck-out entries are left out; a band that rose since the
// entry before is marked.
ChartModel timelineModel(const eventlog::Event& event, const QList<eventlog::Entry>& entries);

// The day report: the event, the timeline, every entry, and lines for the responsible person.
std::unique_ptr<QTextDocument> buildDayReport(const eventlog::Event& event,
                                              const QList<eventlog::Entry>& entries);

} // namespace orvane::ui
