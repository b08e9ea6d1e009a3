#pragma once

// What a chart draws, read back as a person would read the picture: every text it writes, with
// where it stands, from a paint device that records instead of painting.

#include "ui/charts/band_chart.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>

#include <vector>

namespace orvane::test {

struct DrawnText {
    QRectF box; // where the text stands, as the font measures it
    QString text;
};

inline std::vector<DrawnText> textsDrawn(const ui::ChartModel& model, QSize size = {1600, 600}) {
    class Recorder : public QPaintEngine {
    public:
        std::vector<DrawnText> texts;
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& at, const QTextItem& item) override {
            const QFontMetricsF metrics(item.font());
            texts.push_back({QRectF(at.x(), at.y() - metrics.ascent(),
                                    metrics.horizontalAdvance(item.text()), metrics.height()),
                             item.text()});
        }
        Type type() const override { return User; }
    };
    class Device : public QPaintDevice {
    public:
        explicit Device(QSize size) : size_(size) {}
        Recorder engine;
        QPaintEngine* paintEngine() const override { return const_cast<Recorder*>(&engine); }
        int metric(PaintDeviceMetric metric) const override {
            switch (metric) {
            case PdmWidth: return size_.width();
            case PdmHeight: return size_.height();
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY: return 96;
            case PdmDepth: return 32;
            default: return 1;
            }
        }

    private:
        QSize size_;
    } device(size);
    QPainter painter(&device);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    ui::BandChart::render(painter, QRectF(QPointF(0, 0), size), model, font);
    painter.end();
    return std::move(device.engine.texts);
}

} // namespace orvane::test
