// The colour table: entries end at ';', and an entry without colour words is the automatic
// colour.

#include "rtf/reader_state.h"

#include <algorithm>

namespace orvane::rtf {

void ColorTable::word(Kw id, int param) {
    switch (id) {
    case Kw::Red: red_ = std::clamp(param, 0, 255), touched_ = true; break;
    case Kw::Green: green_ = std::clamp(param, 0, 255), touched_ = true; break;
    case Kw::Blue: blue_ = std::clamp(param, 0, 255), touched_ = true; break;
    default: break;
    }
}

void ColorTable::text(std::string_view bytes) {
    for (const char c : bytes) {
        if (c != ';')
            continue;
        if (colors_.size() < kMaxTableEntries)
            colors_.push_back(touched_ ? QColor(red_, green_, blue_) : QColor());
        red_ = green_ = blue_ = 0;
        touched_ = false;
    }
}

QColor ColorTable::at(int index) const {
    return index > 0 && std::size_t(index) < colors_.size() ? colors_[std::size_t(index)]
                                                            : QColor();
}

} // namespace orvane::rtf
