#pragma once

// How the planner shows a day's plan: the chart, a row of the hour table, and the coolest start
// in a sentence. Apart from the window, so the window only places them.

#include "core/forecast_plan.h"
#include "ui/charts/band_chart.h"

#include <QStringList>
#include <QTimeZone>

#include <vector>

namespace orvane::ui {

// The chosen day and the event's hours on it, in UTC seconds, and the place's zone.
struct DaySpan {
    QTimeZone zone;
    qint64 dayStart = 0, dayEnd = 0;
    qint64 eventStart = 0, eventEnd = 0;
};

// The day's WBGT in °F with question 1's options behind it and the event's hours marked.
ChartModel dayChart(const std::vector<PlannedHour>& plan, const DaySpan& day);

struct HourRow {
    enum Column { Time, Air, Humidity, Wind, Sun, Wbgt, Option, Points, Outcome };
    QStringList cells;
    int option = -1;      // question 1's option, for its shade; -1 without a WBGT
    int rank = -1;        // the band of the outcome, for its colours; -1 without one
    bool inEvent = false; // the hour is one of the event's
};
QStringList hourHeader();
HourRow hourRow(const PlannedHour& hour, const DaySpan& day);

// "The coolest start for a 3 h 00 min event is 07:00: …", or why there is none.
QString coolestStartSentence(const std::vector<PlannedHour>& plan, const DaySpan& day);

} // namespace orvane::ui
