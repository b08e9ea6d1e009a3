#include "ui/charts/band_chart.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace orvane::ui {
namespace {

constexpr qint64 kHour = 3600;
constexpr qint64 kDay = 24 * kHour;
// Up to four days the axis is labelled in hours, beyond it in dates.
constexpr qint64 kHourLabelsUpTo = 4 * kDay;

// One panel of the chart: a rectangle and the scale of its values.
struct Panel {
    QRectF plot;
    ChartAxis axis;

    // Where a value goes; one off the scale is drawn at its edge.
    double y(double value) const {
        const double clamped = std::clamp(value, axis.min, axis.max);
        return plot.bottom() - (clamped - axis.min) / (axis.max - axis.min) * plot.height();
    }
    bool off(double value) const { return value < axis.min || value > axis.max; }
};

QFont scaled(const QFont& font, double factor) {
    QFont smaller = font;
    if (font.pixelSize() > 0)
        smaller.setPixelSize(std::max(6, int(font.pixelSize() * factor)));
    else
        smaller.setPointSizeF(std::max(5.0, font.pointSizeF() * factor));
    return smaller;
}

class Painter {
public:
    Painter(QPainter& painter, const QRectF& area, const ChartModel& m, const QFont& font)
        : p_(painter), area_(area), m_(m), font_(font), metrics_(font, painter.device()),
          ink_(painter.pen().color()), line_(metrics_.height()) {}

    void draw() {
        const double labels = metrics_.horizontalAdvance(QStringLiteral("-000")) + line_ * 0.8;
        const QRectF whole = area_.adjusted(labels, line_ * 1.6, -line_, -line_ * 2.2);
        if (whole.width() < 10 || whole.height() < 10 || m_.toUtc <= m_.fromUtc ||
            !(m_.left.max > m_.left.min))
            return;
        std::vector<Panel> panels{{whole, m_.left}};
        if (m_.strip && m_.strip->axis.max > m_.strip->axis.min) {
            // The strip keeps a third of the height, and a gap parts it from the panel above.
            const double gap = line_ * 0.8;
            const double stripHeight = (whole.height() - gap) / 3;
            panels[0].plot.setBottom(whole.bottom() - stripHeight - gap);
            panels.push_back(
                {QRectF(whole.left(), whole.bottom() - stripHeight, whole.width(), stripHeight),
                 m_.strip->axis});
        }
        plot_ = whole;
        drawBands(panels[0], m_.bands);
        if (panels.size() > 1)
            drawBands(panels[1], m_.strip->bands);
        drawSpan();
        for (const Panel& panel : panels)
            drawAxis(panel);
        drawLevels(panels[0]);
        drawTimeAxis();
        double legendX = plot_.left() + 4;
        for (const ChartSeries& s : m_.series)
            drawSeries(s, s.onRightAxis && panels.size() > 1 ? panels[1] : panels[0], legendX);
        drawMarkLegend(legendX);
    }

private:
    double x(qint64 utc) const {
        return plot_.left() +
               double(utc - m_.fromUtc) / double(m_.toUtc - m_.fromUtc) * plot_.width();
    }

    void drawBands(const Panel& panel, const std::vector<ChartBand>& bands) {
        for (const ChartBand& band : bands) {
            const QRectF r(QPointF(panel.plot.left(), panel.y(band.to)),
                           QPointF(panel.plot.right(), panel.y(band.from)));
            p_.fillRect(r, band.color);
            if (band.label.isEmpty() || r.height() < line_ * 0.55)
                continue;
            // A narrow band keeps its label in a smaller hand rather than losing it.
            p_.save();
            p_.setFont(scaled(font_, std::min(1.0, r.height() / line_)));
            p_.setPen(ink_);
            p_.drawText(r.adjusted(4, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, band.label);
            p_.restore();
        }
    }

    void drawSpan() {
        if (!m_.span)
            return;
        const double left = std::clamp(x(m_.span->first), plot_.left(), plot_.right());
        const double right = std::clamp(x(m_.span->second), plot_.left(), plot_.right());
        const QRectF r(QPointF(left, plot_.top()), QPointF(right, plot_.bottom()));
        p_.fillRect(r, QColor(0, 0, 0, 28));
        p_.setPen(QPen(ink_, 1, Qt::DashLine));
        p_.drawLine(r.topLeft(), r.bottomLeft());
        p_.drawLine(r.topRight(), r.bottomRight());
        // Named inside the plot, under its top edge, clear of the legend above.
        p_.setPen(ink_);
        const double width = metrics_.horizontalAdvance(m_.spanLabel) + 4;
        p_.drawText(
            QRectF(std::min(r.left() + 3, plot_.right() - width), plot_.top() + 1, width, line_),
            Qt::AlignLeft | Qt::AlignVCenter, m_.spanLabel);
    }

    void drawAxis(const Panel& panel) {
        p_.setPen(QPen(ink_, 1));
        p_.drawRect(panel.plot);
        const ChartAxis& axis = panel.axis;
        if (!(axis.step > 0))
            return;
        // Labels no closer than a line apart, however tall the scale.
        const double perStep = panel.plot.height() * axis.step / (axis.max - axis.min);
        const double every = axis.step * std::max(1.0, std::ceil(line_ / std::max(perStep, 1e-9)));
        int drawn = 0;
        for (double v = std::ceil(axis.min / every) * every; v <= axis.max + 1e-9 && drawn < 64;
             v += every, ++drawn) {
            const double at = panel.y(v);
            p_.drawText(
                QRectF(area_.left(), at - line_, panel.plot.left() - area_.left() - 4, 2 * line_),
                Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
            p_.drawLine(QPointF(panel.plot.left() - 3, at), QPointF(panel.plot.left(), at));
        }
        // The scale's name, above its panel.
        const QRectF title(panel.plot.left(), panel.plot.top() - line_ * 1.4, panel.plot.width(),
                           line_ * 1.4);
        p_.drawText(title, Qt::AlignRight | Qt::AlignVCenter, axis.title);
    }

    void drawLevels(const Panel& panel) {
        p_.save();
        const QFont small = scaled(font_, 0.85);
        const double smallLine = QFontMetricsF(small, p_.device()).height();
        p_.setFont(small);
        double lastLabel = 1e9; // levels go up: each label above the one before, or none
        for (const ChartLevel& level : m_.levels) {
            if (panel.off(level.value))
                continue;
            const double at = panel.y(level.value);
            p_.setPen(QPen(level.color, 1.5, Qt::DashLine));
            p_.drawLine(QPointF(panel.plot.left(), at), QPointF(panel.plot.right(), at));
            if (at > lastLabel - smallLine)
                continue; // too close to the last: the line alone, the legend names it
            p_.setPen(level.color);
            p_.drawText(
                QRectF(panel.plot.left() + 4, at - smallLine, panel.plot.width() / 2, smallLine),
                Qt::AlignLeft | Qt::AlignBottom, level.label);
            lastLabel = at;
        }
        p_.restore();
    }

    void tickLabel(double at, const QString& text, double& lastRight) {
        const double width = metrics_.horizontalAdvance(text);
        // Centred under its tick, never past the chart's edges nor onto the label before it.
        const double left = std::clamp(at - width / 2, area_.left(), area_.right() - width);
        if (left < lastRight + line_ * 0.6)
            return;
        p_.drawLine(QPointF(at, plot_.bottom()), QPointF(at, plot_.bottom() + 3));
        p_.drawText(QRectF(left, plot_.bottom() + 3, width + 1, line_),
                    Qt::AlignHCenter | Qt::AlignTop, text);
        lastRight = left + width;
    }

    void drawTimeAxis() {
        p_.setPen(ink_);
        const qint64 span = m_.toUtc - m_.fromUtc;
        double lastRight = -1e9;
        if (span <= kHourLabelsUpTo) {
            const double labelWidth = metrics_.horizontalAdvance(QStringLiteral("00:00"));
            int stepHours = 48;
            for (const int hours : {1, 2, 3, 4, 6, 12, 24})
                if (double(span) / double(hours * kHour) * labelWidth * 1.4 <= plot_.width()) {
                    stepHours = hours;
                    break;
                }
            // Whole local hours; a zone a half hour off UTC still gets whole hours. At most a
            // hundred hours are walked.
            const QDateTime first = QDateTime::fromSecsSinceEpoch(m_.fromUtc, m_.zone);
            qint64 tick = m_.fromUtc +
                          (first.time().minute() ? (60 - first.time().minute()) * 60 : 0) -
                          first.time().second();
            for (; tick <= m_.toUtc; tick += kHour) {
                const QDateTime local = QDateTime::fromSecsSinceEpoch(tick, m_.zone);
                if (local.time().hour() % stepHours == 0)
                    tickLabel(x(tick), local.toString(QStringLiteral("HH:mm")), lastRight);
            }
        } else {
            // Dates, a whole number of days apart, as many as fit: never a walk hour by hour.
            const double labelWidth = metrics_.horizontalAdvance(QStringLiteral("0000-00-00"));
            const double fit = std::max(1.0, plot_.width() / (labelWidth * 1.4));
            const qint64 stepDays =
                std::max<qint64>(1, qint64(std::ceil(double(span) / double(kDay) / fit)));
            QDate date = QDateTime::fromSecsSinceEpoch(m_.fromUtc, m_.zone).date().addDays(1);
            for (int drawn = 0; date.isValid() && drawn < 200; ++drawn) {
                const qint64 at = QDateTime(date, QTime(0, 0), m_.zone).toSecsSinceEpoch();
                if (at > m_.toUtc)
                    break;
                tickLabel(x(at), date.toString(Qt::ISODate), lastRight);
                date = date.addDays(stepDays);
            }
        }
        const QString caption =
            QStringLiteral("local time (%1)").arg(QString::fromUtf8(m_.zone.id()));
        const QRectF foot(plot_.left(), plot_.bottom() + line_ + 3, plot_.width(), line_);
        if (!m_.note.isEmpty() &&
            metrics_.horizontalAdvance(caption) / 2 + metrics_.horizontalAdvance(m_.note) + line_ <
                foot.width() / 2) {
            p_.drawText(foot, Qt::AlignHCenter | Qt::AlignTop, caption);
            p_.drawText(foot, Qt::AlignRight | Qt::AlignTop, m_.note);
        } else if (!m_.note.isEmpty()) {
            p_.drawText(foot, Qt::AlignLeft | Qt::AlignTop, caption);
            p_.drawText(foot, Qt::AlignRight | Qt::AlignTop, m_.note);
        } else {
            p_.drawText(foot, Qt::AlignHCenter | Qt::AlignTop, caption);
        }
    }

    void marker(const QPointF& at, bool marked, const QColor& color) {
        if (marked) {
            QPolygonF up;
            up << at + QPointF(0, -7) << at + QPointF(6, 4) << at + QPointF(-6, 4);
            p_.setPen(QPen(ink_, 1));
            p_.setBrush(QColor(200, 0, 0));
            p_.drawPolygon(up);
        } else {
            p_.setPen(QPen(color, 1));
            p_.setBrush(color);
            p_.drawEllipse(at, 2.5, 2.5);
        }
    }

    void drawSeries(const ChartSeries& s, const Panel& panel, double& legendX) {
        QPainterPath path;
        bool drawing = false;
        for (const ChartSeries::Point& point : s.points) {
            if (!point.value || point.utc < m_.fromUtc || point.utc > m_.toUtc) {
                drawing = false;
                continue;
            }
            const QPointF at(x(point.utc), panel.y(*point.value));
            drawing ? path.lineTo(at) : path.moveTo(at);
            drawing = true;
        }
        p_.setPen(QPen(s.color, 2));
        p_.setBrush(Qt::NoBrush);
        p_.drawPath(path);
        for (const ChartSeries::Point& point : s.points) {
            if (!point.value || point.utc < m_.fromUtc || point.utc > m_.toUtc)
                continue;
            const QPointF at(x(point.utc), panel.y(*point.value));
            marker(at, point.marked, s.color);
            if (panel.off(*point.value)) {
                // At the edge, but plainly not on it: an arrow out of the panel, and the value.
                const bool below = *point.value < panel.axis.min;
                const double dy = below ? -1 : 1;
                p_.setPen(QPen(s.color, 1.5));
                p_.drawLine(at, at + QPointF(0, 8 * dy));
                p_.drawText(QRectF(at.x() + 3, at.y() - (below ? line_ : 0), 80, line_),
                            Qt::AlignLeft | Qt::AlignVCenter,
                            QString::number(*point.value, 'f', 1));
            }
        }
        // The legend along the top of the chart.
        const double mid = plot_.top() - line_ * 0.7;
        p_.setPen(QPen(s.color, 2));
        p_.drawLine(QPointF(legendX, mid), QPointF(legendX + 16, mid));
        p_.setPen(ink_);
        const double textWidth = metrics_.horizontalAdvance(s.name);
        p_.drawText(QRectF(legendX + 20, mid - line_ / 2, textWidth + 2, line_),
                    Qt::AlignLeft | Qt::AlignVCenter, s.name);
        legendX += 32 + textWidth;
    }

    void drawMarkLegend(double legendX) {
        const bool anyMarked = std::any_of(m_.series.begin(), m_.series.end(), [](const auto& s) {
            return std::any_of(s.points.begin(), s.points.end(),
                               [](const auto& p) { return p.marked && p.value; });
        });
        if (m_.markLabel.isEmpty() || !anyMarked)
            return;
        const double mid = plot_.top() - line_ * 0.7;
        marker(QPointF(legendX + 6, mid + 1), true, ink_);
        p_.setPen(ink_);
        p_.drawText(QRectF(legendX + 16, mid - line_ / 2,
                           metrics_.horizontalAdvance(m_.markLabel) + 2, line_),
                    Qt::AlignLeft | Qt::AlignVCenter, m_.markLabel);
    }

    QPainter& p_;
    QRectF area_;
    const ChartModel& m_;
    QFont font_;
    QFontMetricsF metrics_;
    QColor ink_;
    double line_;
    QRectF plot_;
};

} // namespace

BandChart::BandChart(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void BandChart::setModel(ChartModel model) {
    model_ = std::move(model);
    update();
}

QSize BandChart::minimumSizeHint() const {
    // Room for the title line, a few labelled steps and the two lines of the time axis, in the
    // font the chart is drawn in.
    const int line = fontMetrics().height();
    return {line * 24, line * (model_.strip ? 12 : 8)};
}

void BandChart::paintEvent(QPaintEvent*) {
    // A white page with black ink, as on paper: the bands' pale shades are made for it, and
    // light text on them would be lost under a dark palette.
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    render(painter, QRectF(rect()), model_, font());
}

QImage BandChart::printImage(const ChartModel& model) {
    QImage picture(1600, model.strip ? 760 : 600, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(22);
    painter.setPen(Qt::black);
    render(painter, QRectF(picture.rect()), model, font);
    return picture;
}

void BandChart::render(QPainter& painter, const QRectF& area, const ChartModel& m,
                       const QFont& font) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font);
    Painter(painter, area, m, font).draw();
    painter.restore();
}

} // namespace orvane::ui
