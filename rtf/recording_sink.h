#pragma once

// Keeps every event the reader hands on, so tests can see what was read without laying out a
// document.

#include "rtf/sink.h"

#include <vector>

namespace orvane::rtf {

struct Event {
    enum Kind { Text, Line, Image, Par, Cell, Row, Finish } kind;
    QString text;
    CharFormat chr;
    ParFormat par;
    RowFormat row;
    QSize imageSize;
    double width = 0, height = 0;
};

class RecordingSink final : public Sink {
public:
    void text(QStringView text, const CharFormat& format) override;
    void lineBreak(const CharFormat& format) override {
        events.push_back({Event::Line, {}, format});
    }
    void image(const QImage& image, double widthPx, double heightPx,
               const CharFormat& format) override;
    void paragraphEnd(const ParFormat& format) override;
    void cellEnd(const ParFormat& format) override;
    void rowEnd(const RowFormat& row) override;
    void finish(const ParFormat& format) override;

    // The text events joined, with "\n" for paragraphs and line breaks, "|" for cell ends and
    // "#" for row ends: a compact picture of the structure for assertions.
    QString outline() const;

    std::vector<Event> events;
};

} // namespace orvane::rtf
