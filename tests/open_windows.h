#pragma once

#include <QApplication>
#include <QWidget>

namespace orvane::ui::test {

// The program's open windows as a person sees them, by object name, sorted for comparisons:
// shown top-level windows, without list popups and tooltips.
inline QStringList openWindowNames() {
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->inherits("QComboBoxPrivateContainer") &&
            w->windowType() != Qt::ToolTip)
            names << w->objectName();
    names.sort();
    return names;
}

} // namespace orvane::ui::test
