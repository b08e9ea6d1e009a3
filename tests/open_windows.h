#pragma once

// The program's open windows as a person sees them: shown top-level windows, without list
// popups and tooltips.

#include <QApplication>
#include <QEvent>
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

// Names every window whose closing left no other window open: where the program ends.
class LastWindowWatch : public QObject {
public:
    LastWindowWatch() { qApp->installEventFilter(this); }
    ~LastWindowWatch() override { qApp->removeEventFilter(this); }
    QStringList endedBy;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Close && widget && widget->isWindow() && widget->isVisible()) {
            QList<QWidget*> others = openWindows();
            others.removeOne(widget);
            if (others.isEmpty())
                endedBy << widget->objectName();
        }
        return false;
    }
};

} // namespace orvane::ui::test
