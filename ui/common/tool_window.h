#pragma once

// The windows that help the calculator (the estimator, the planner, the event log): each belongs
// to the window that opened it and closes with it, exists once at a time, and closes on Escape
// as a dialog does.

#include "ui/common/single_window.h"

#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace orvane::ui {

class ToolWindow : public QWidget {
public:
    explicit ToolWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
        setAttribute(Qt::WA_DeleteOnClose);
    }

protected:
    // Only a key no field took: an open list or a field's own use of Escape comes first.
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            close();
            return;
        }
        QWidget::keyPressEvent(event);
    }
};

// Shows the tool window held in `slot`, or one made by `make` and placed beside `owner` when
// none is open (one that is closing is gone), and brings it to the front.
template <class Window, class Make>
Window* showToolWindow(QPointer<Window>& slot, QWidget* owner, Make make) {
    if (!slot || !slot->isVisible()) {
        slot = make();
        placeBeside(slot, owner);
        slot->show();
    }
    slot->raise();
    slot->activateWindow();
    return slot;
}

} // namespace orvane::ui
