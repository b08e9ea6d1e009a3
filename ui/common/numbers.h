#pragma once

// Numbers as the person at the window reads them: in their locale's digits and separators.

#include <QLocale>
#include <QString>

namespace orvane::ui {

inline QString localNumber(double value, int decimals = 1) {
    return QLocale().toString(value, 'f', decimals);
}

} // namespace orvane::ui
