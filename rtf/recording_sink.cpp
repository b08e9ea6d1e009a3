#include "rtf/recording_sink.h"

namespace orvane::rtf {

void RecordingSink::text(QStringView text, const CharFormat& format) {
    // Merge what the reader handed on in pieces under one format.
    if (!events.empty() && events.back().kind == Event::Text &&
        events.back().chr.generation == format.generation) {
        events.back().text += text;
        return;
    }
    events.push_back({Event::Text, text.toString(), format});
}

void RecordingSink::image(const QImage& image, double widthPx, double heightPx,
                          const CharFormat& format) {
    Event e{Event::Image, {}, format};
    e.imageSize = image.size();
    e.width = widthPx;
    e.height = heightPx;
    events.push_back(std::move(e));
}

void RecordingSink::paragraphEnd(const ParFormat& format) {
    events.push_back({Event::Par, {}, {}, format});
}

void RecordingSink::cellEnd(const ParFormat& format) {
    events.push_back({Event::Cell, {}, {}, format});
}

void RecordingSink::rowEnd(const RowFormat& row) {
    Event e{Event::Row};
    e.row = row;
    events.push_back(std::move(e));
}

void RecordingSink::finish(const ParFormat& format) {
    events.push_back({Event::Finish, {}, {}, format});
}

QString RecordingSink::outline() const {
    QString out;
    for (const Event& e : events) {
        switch (e.kind) {
        case Event::Text: out += e.text; break;
        case Event::Line:
        case Event::Par: out += u'\n'; break;
        case Event::Image: out += u"[img]"; break;
        case Event::Cell: out += u'|'; break;
        case Event::Row: out += u'#'; break;
        case Event::Finish: break;
        }
    }
    return out;
}

} // namespace orvane::rtf
