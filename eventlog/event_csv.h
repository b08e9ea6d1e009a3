#pragma once

// One event as CSV for a spreadsheet: RFC 4180 (CRLF line ends, a field quoted when it holds a
// comma, a quote or a line end, quotes doubled), UTF-8 without a byte order mark, a header row
// of names a person reads (each question by its title, as the window shows it), then one row per
// entry in time order, struck-out entries included and marked.
//
// A field beginning with '=', '+', '-', '@', a tab or a carriage return gets an apostrophe in
// front: spreadsheets read such a field as a formula, and a note or a name typed by someone must
// never run as one. The apostrophe is the mark spreadsheets themselves use for "this is text",
// and a person reading the sheet still sees the whole text after it.

#include "eventlog/event_log.h"

#include <QByteArray>
#include <QStringList>

namespace orvane::eventlog {

QByteArray eventCsv(const Event& event, const QList<Entry>& entries);

// The columns before and after the questions', in order.
namespace csv {
inline const QStringList kLeading{"Event", "Place", "Event date", "Entry", "Time", "Time zone"};
inline const QStringList kTrailing{"Question 1 answered by",
                                   "WBGT °F",
                                   "Question 1 worked out from",
                                   "Total",
                                   "Band",
                                   "Band rose",
                                   "Medical referral",
                                   "WBGT ceiling",
                                   "Decision",
                                   "Note",
                                   "Program version",
                                   "Struck out",
                                   "Reason struck out",
                                   "Time struck out"};
// "1. Wet Bulb Globe Temperature: points"
QString pointsColumn(const QString& question);
} // namespace csv

} // namespace orvane::eventlog
