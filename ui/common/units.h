#pragma once

// Window designs are measured in twips; the conversion itself lives with the RTF reader's, so
// documents and windows agree on what a twip is.

#include "rtf/twips.h"

#include <QRect>
#include <QSize>
#include <QtMath>

namespace orvane::ui {

inline int px(int twips) {
    return qRound(twipsToPixels(twips));
}
inline double pxF(int twips) {
    return twipsToPixels(twips);
}
// A rectangle of the design (left, top, width, height in twips) in pixels.
inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}
inline QRect twipsRect(const QRect& twips) {
    return twipsRect(twips.x(), twips.y(), twips.width(), twips.height());
}
inline QSize twipsSize(int width, int height) {
    return QSize(px(width), px(height));
}

} // namespace orvane::ui
