#include "ui/charts/band_chart.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace orvane::ui {
namespace {

constexpr qint64 kHour = 3600;

// Hours between labels on the time axis, so that labels never crowd.
qint64 labelStep(qint64 seconds, double width, double labelWidth) {
    for (const qint64 hours : {1, 2, 3, 4, 6, 12, 24})
        if (double(seconds) / double(hours * kHour) * labelWidth * 1.4 <= width)
            return hours * kHour;
    return 48 * kHour;
}

} // namespace

BandChart::BandChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 160);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void BandChart::setModel(ChartModel model) {
    model_ = std::move(model);
    update();
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
    QImage picture(1600, 600, QImage::Format_RGB32);
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
    const QFontMetricsF metrics(font, painter.device());
    const QColor ink = painter.pen().color();
    const double line = metrics.height();
    const double leftLabels = metrics.horizontalAdvance(QStringLiteral("000")) + line * 1.6;
    const double rightLabels =
        m.right ? metrics.horizontalAdvance(QStringLiteral("000")) + line * 1.6 : line;
    const QRectF plot = area.adjusted(leftLabels, line * 1.6, -rightLabels, -line * 2.2);
    if (plot.width() < 10 || plot.height() < 10 || m.toUtc <= m.fromUtc) {
        painter.restore();
        return;
    }
    const auto x = [&](qint64 utc) {
        return plot.left() + double(utc - m.fromUtc) / double(m.toUtc - m.fromUtc) * plot.width();
    };
    const auto y = [&](const ChartAxis& axis, double value) {
        const double clamped = std::clamp(value, axis.min, axis.max);
        return plot.bottom() - (clamped - axis.min) / (axis.max - axis.min) * plot.height();
    };

    // Bands behind everything, each labelled at its right edge.
    for (const ChartBand& band : m.bands) {
        const QRectF r(QPointF(plot.left(), y(m.left, band.to)),
                       QPointF(plot.right(), y(m.left, band.from)));
        painter.fillRect(r, band.color);
        if (!band.label.isEmpty() && r.height() >= line) {
            painter.setPen(ink);
            painter.drawText(r.adjusted(4, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter,
                             band.label);
        }
    }
    if (m.span) {
        const QRectF r(QPointF(x(m.span->first), plot.top()),
                       QPointF(x(m.span->second), plot.bottom()));
        painter.fillRect(r, QColor(0, 0, 0, 28));
        painter.setPen(QPen(ink, 1, Qt::DashLine));
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.drawLine(r.topRight(), r.bottomRight());
        painter.setPen(ink);
        painter.drawText(QRectF(r.left(), area.top(), std::max(r.width(), 200.0), line * 1.5),
                         Qt::AlignLeft | Qt::AlignVCenter, m.spanLabel);
    }

    // Axes and their labels.
    painter.setPen(QPen(ink, 1));
    painter.drawRect(plot);
    const auto axisLabels = [&](const ChartAxis& axis, bool right) {
        for (double v = std::ceil(axis.min / axis.step) * axis.step; v <= axis.max + 1e-9;
             v += axis.step) {
            const double at = y(axis, v);
            const QRectF box = right ? QRectF(plot.right() + 4, at - line, rightLabels, 2 * line)
                                     : QRectF(area.left(), at - line, leftLabels - 4, 2 * line);
            painter.drawText(box, (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                             QString::number(v));
            painter.drawLine(QPointF(right ? plot.right() : plot.left() - 3, at),
                             QPointF(right ? plot.right() + 3 : plot.left(), at));
        }
        painter.drawText(
            QRectF(right ? plot.right() - 300 : plot.left(), area.top(), 300, line * 1.5),
            (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, axis.title);
    };
    axisLabels(m.left, false);
    if (m.right)
        axisLabels(*m.right, true);
    const double labelWidth = metrics.horizontalAdvance(QStringLiteral("00:00"));
    const qint64 step = labelStep(m.toUtc - m.fromUtc, plot.width(), labelWidth);
    // Labels at whole local hours; a zone a half hour off UTC still gets whole hours.
    const QDateTime first = QDateTime::fromSecsSinceEpoch(m.fromUtc, m.zone);
    qint64 tick = m.fromUtc + (first.time().minute() ? (60 - first.time().minute()) * 60 : 0) -
                  first.time().second();
    for (; tick <= m.toUtc; tick += kHour) {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(tick, m.zone);
        if (local.time().hour() % int(step / kHour) != 0)
            continue;
        const double at = x(tick);
        painter.drawLine(QPointF(at, plot.bottom()), QPointF(at, plot.bottom() + 3));
        // Centred under its tick, but never past the chart's edges.
        const double left = std::clamp(at - labelWidth, area.left(), area.right() - 2 * labelWidth);
        painter.drawText(QRectF(left, plot.bottom() + 3, 2 * labelWidth, line),
                         Qt::AlignHCenter | Qt::AlignTop, local.toString(QStringLiteral("HH:mm")));
    }
    painter.drawText(QRectF(plot.left(), plot.bottom() + line + 3, plot.width(), line),
                     Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("local time (%1)").arg(QString::fromUtf8(m.zone.id())));

    // The lines, broken where a value is missing, and their markers.
    double legendX = plot.left() + 4;
    for (const ChartSeries& s : m.series) {
        const ChartAxis& axis = s.onRightAxis && m.right ? *m.right : m.left;
        QPainterPath path;
        bool drawing = false;
        for (const ChartSeries::Point& p : s.points) {
            if (!p.value) {
                drawing = false;
                continue;
            }
            const QPointF at(x(p.utc), y(axis, *p.value));
            drawing ? path.lineTo(at) : path.moveTo(at);
            drawing = true;
        }
        painter.setPen(QPen(s.color, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        for (const ChartSeries::Point& p : s.points) {
            if (!p.value)
                continue;
            const QPointF at(x(p.utc), y(axis, *p.value));
            if (p.marked) {
                QPolygonF up;
                up << at + QPointF(0, -7) << at + QPointF(6, 4) << at + QPointF(-6, 4);
                painter.setPen(QPen(ink, 1));
                painter.setBrush(QColor(200, 0, 0));
                painter.drawPolygon(up);
            } else {
                painter.setPen(QPen(s.color, 1));
                painter.setBrush(s.color);
                painter.drawEllipse(at, 2.5, 2.5);
            }
        }
        // The legend along the top of the plot.
        painter.setPen(QPen(s.color, 2));
        const double mid = plot.top() + line * 0.6;
        painter.drawLine(QPointF(legendX, mid), QPointF(legendX + 16, mid));
        painter.setPen(ink);
        const double textWidth = metrics.horizontalAdvance(s.name);
        painter.drawText(QRectF(legendX + 20, plot.top() + 1, textWidth + 2, line),
                         Qt::AlignLeft | Qt::AlignVCenter, s.name);
        legendX += 32 + textWidth;
    }
    painter.restore();
}

} // namespace orvane::ui
