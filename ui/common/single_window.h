#pragma once

// Each window of the program exists at most once and is never hidden: it is open and shown, or
// closed and destroyed. Showing an open window raises it unchanged; showing a closed one builds
// it afresh. Every window goes through here, so the rule lives in one place.

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace orvane::ui {

// Centres a window on the work area of the primary screen, before it is first shown.
void centreOnScreen(QWidget* window);

// Where a window of `size` (its frame) goes beside `anchor` (another window's frame) within the
// work area `available`: to the right, else to the left, else below or above, and where none of
// these has room, on the side with the most, kept on the screen. Returns its frame's top left.
QPoint besidePosition(const QRect& anchor, const QSize& size, const QRect& available);

// Places a window not yet shown, at the size it will show at, beside `anchor` on the anchor's
// screen, so it hides as little of the anchor as the screen allows.
void placeBeside(QWidget* window, const QWidget* anchor);

template <class Window> class SingleWindow {
public:
    // The open window, or nullptr. A window that has closed but whose deletion is still
    // pending counts as closed: windows are never hidden, so an invisible one is gone.
    static Window* instance() {
        Window* window = slot().data();
        return window && window->isVisible() ? window : nullptr;
    }

    // Shows the window, creating it first if it is not open, and brings it to the front.
    static Window* show() {
        Window* window = instance();
        if (!window) {
            window = new Window();
            window->setAttribute(Qt::WA_DeleteOnClose);
            slot() = window;
            centreOnScreen(window);
            window->show();
        } else if (window->isMinimized()) {
            window->showNormal();
        }
        window->raise();
        window->activateWindow();
        return window;
    }

private:
    static QPointer<Window>& slot() {
        static QPointer<Window> window;
        return window;
    }
};

} // namespace orvane::ui
