#pragma once

// A small chart of values over the hours of one day, drawn with QPainter: coloured bands behind
// the lines (the options of question 1, or the score bands), levels drawn across, lines with
// gaps where a value is missing, marked points, a shaded span of time, and below it, where the
// model has one, a strip of its own with its own scale for a second quantity, so that no reader
// takes one scale for the other. The planner shows the day's forecast WBGT with it, the event
// log the day's totals over the WBGT. What it draws is the model, so tests read the model and
// records draw the same chart on paper. Whatever the model holds (a span of centuries, values
// off every scale) it draws in bounded time: a value off its axis is drawn at the edge with a
// mark that says so, and the time axis never labels more than fits.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QTimeZone>
#include <QWidget>

#include <optional>
#include <vector>

class QPainter;

namespace orvane::ui {

struct ChartAxis {
    QString title;
    double min = 0;
    double max = 1;
    double step = 1; // between labelled ticks
};

// A horizontal band of the left axis, from `from` up to `to`.
struct ChartBand {
    double from = 0;
    double to = 0;
    QColor color;
    QString label;
};

// A value drawn across the plot as a dashed line, e.g. a level of the WBGT ceiling.
struct ChartLevel {
    double value = 0;
    QString label;
    QColor color;
};

struct ChartSeries {
    QString name;
    QColor color;
    bool onRightAxis = false; // on the strip's axis, in the strip, where the model has one
    struct Point {
        qint64 utc = 0;              // seconds since the epoch
        std::optional<double> value; // none: a gap in the line
        bool marked = false;         // drawn with a marker that stands out, e.g. a band that rose
    };
    std::vector<Point> points;
};

// A lower panel of the chart with a scale of its own, sharing the time axis.
struct ChartStrip {
    ChartAxis axis;
    std::vector<ChartBand> bands;
};

struct ChartModel {
    qint64 fromUtc = 0; // the time axis, in seconds since the epoch
    qint64 toUtc = 0;
    QTimeZone zone; // the time axis is labelled in this zone's local time
    ChartAxis left;
    std::optional<ChartStrip> strip; // series on the right axis are drawn in it
    std::vector<ChartBand> bands;
    std::vector<ChartLevel> levels;
    std::vector<ChartSeries> series;
    std::optional<std::pair<qint64, qint64>> span; // shaded, e.g. the event's hours
    QString spanLabel;
    QString markLabel; // what a marked point means, for the legend; empty: no marks explained
    QString note;      // a line at the foot, right, e.g. where the data come from
};

class BandChart : public QWidget {
    Q_OBJECT

public:
    explicit BandChart(QWidget* parent = nullptr);

    void setModel(ChartModel model);
    const ChartModel& model() const { return model_; }

    // Draws `model` into `area` of any paint device: the screen, an image or a page.
    static void render(QPainter& painter, const QRectF& area, const ChartModel& model,
                       const QFont& font);
    // The chart as a picture for a printed page: on white, wide, and lettered large enough to
    // stay readable when the page shrinks it.
    static QImage printImage(const ChartModel& model);

    QSize sizeHint() const override { return minimumSizeHint() * 1.5; }
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ChartModel model_;
};

} // namespace orvane::ui
