#pragma once

// How the planner shows a day's plan: the chart, a row of the hour table, the event and the
// coolest start in sentences, and the hours without values. Apart from the window, so the window
// only places them.

#include "core/evaluation.h"
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
    double latitude = 0, longitude = 0; // for the day's light
    bool anyHour = false;               // the coolest start may fall in the dark
};

// The day's WBGT in °F with question 1's options behind it, the WBGT ceiling's levels drawn
// across, every hour at or over a level marked, and the event's hours shaded.
ChartModel dayChart(const std::vector<PlannedHour>& plan, const DaySpan& day);

struct HourRow {
    enum Column {
        Time,
        Air,
        Humidity,
        Wind,
        Sun,
        Wbgt,
        Ceiling,
        Option,
        Points,
        TimeOfDay,
        Outcome
    };
    QStringList cells;
    QString gap;          // why the hour has no WBGT; empty when it has one
    int option = -1;      // question 1's option, for its shade; -1 without a WBGT
    int rank = -1;        // the band of the outcome, for its colours; -1 without one
    bool ceiling = false; // the WBGT is at or over a level of the ceiling
    bool inEvent = false; // the hour is one of the event's
};
QStringList hourHeader();
HourRow hourRow(const PlannedHour& hour, const DaySpan& day, const std::vector<PlannedHour>& plan);

// "14:00", or "02:00 AEST" where the clock shows that hour twice in the plan.
QString hourName(const PlannedHour& hour, const DaySpan& day, const std::vector<PlannedHour>& plan);

// What the calculator gives for the event's own hours, and the ceiling over them.
QString eventSentence(const std::vector<PlannedHour>& plan, const DaySpan& day,
                      const std::optional<BoxTexts>& answers);

// "The coolest start for a 3 h 00 min event is 07:00: …", or why there is none.
QString coolestStartSentence(const std::vector<PlannedHour>& plan, const DaySpan& day,
                             const std::optional<BoxTexts>& answers);

// The hours without a WBGT and why, once for the table; empty when every hour has one.
QString gapsSentence(const std::vector<PlannedHour>& plan, const DaySpan& day);

// "57, MODERATE RISK (56 to 65)", "medical referral", or nothing without an outcome; `rank`
// gets the band's rank (3 for a referral) or -1.
QString outcomeText(const std::optional<EvaluationOutcome>& outcome, int* rank = nullptr);

} // namespace orvane::ui
