#include "ui/common/single_window.h"

namespace orvane::ui {

void centreOnScreen(QWidget* window) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->ensurePolished();
    // The client area is centred: the frame is not known before the window manager has
    // decorated the window, and the design measures from the client area anyway.
    QRect client(QPoint(0, 0), window->size());
    client.moveCenter(screen->availableGeometry().center());
    window->setGeometry(client);
}

} // namespace orvane::ui
