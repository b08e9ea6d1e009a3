#pragma once

// The program's open windows as a person sees them: shown top-level windows, without list
// popups and tooltips.

#include <QApplication>
#include <QWidget>

namespace orvane::ui::test {

inline QList<QWidget*> openWindows() {
    QList<QWidget*> open;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->inherits("QComboBoxPrivateContainer") &&
            w->windowType() != Qt::ToolTip)
            open << w;
    return open;
}

// Their object names, sorted, for comparisons.
inline QStringList openWindowNames() {
    QStringList names;
    for (QWidget* w : openWindows())
        names << w->objectName();
    names.sort();
    return names;
}

} // namespace orvane::ui::test
