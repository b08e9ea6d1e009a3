#pragma once

// Window designs are measured in twips (1440 an inch). Every conversion to pixels goes through
// here: 15 twips make a pixel at 96 dpi, and Qt's device-pixel ratio scales for denser screens.

#include <QRect>
#include <QSize>
#include <QtMath>

namespace orvane::ui {

inline constexpr double kTwipsPerPixel = 15.0;

inline int px(int twips) {
    return qRound(twips / kTwipsPerPixel);
}
inline double pxF(int twips) {
    return twips / kTwipsPerPixel;
}
inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}
inline QSize twipsSize(int width, int height) {
    return QSize(px(width), px(height));
}

} // namespace orvane::ui
