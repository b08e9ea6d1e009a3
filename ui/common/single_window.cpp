#include "single_window.h"

namespace orvane::ui {

void centreOnScreen(QWidget* window) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->ensurePolished();
    const QRect area = screen->availableGeometry();
    QRect frame(QPoint(0, 0), window->size());
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

} // namespace orvane::ui
