#pragma once

// The colours the program gives the four score bands and question 1's four WBGT options, as the
// guidance and the page of estimated WBGT give them: each band's ink is its advice's heading
// colour, and its shade the page's cell colour. Charts and tables of the planner and the event
// log use the same, so a band looks alike wherever it shows.

#include <QColor>

#include <algorithm>

namespace orvane::ui {

// rank: 0 lowest to 3 highest band (or option).
inline QColor bandInk(int rank) {
    return rank <= 0 ? QColor(0, 0, 128) : rank == 1 ? QColor(128, 0, 0) : QColor(192, 0, 0);
}

inline QColor bandShade(int rank) {
    static const QColor shades[] = {QColor(0xc8, 0xe6, 0xc9), QColor(0xff, 0xf5, 0x9d),
                                    QColor(0xff, 0xcc, 0x80), QColor(0xef, 0x9a, 0x9a)};
    return shades[std::clamp(rank, 0, 3)];
}

} // namespace orvane::ui
