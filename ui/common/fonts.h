#pragma once

// The designs name Windows fonts. Qt's font substitution maps each to the nearest face that the
// set-up script installs, so the designs can keep their names and sizes in points.

#include <QFont>

namespace orvane::ui {

// Registers the substitutions; call once, after the application object exists.
void installFontSubstitutions();

QFont msSansSerif(double points, bool bold = false);
QFont designFont(const QString& family, double points, bool bold);

} // namespace orvane::ui
