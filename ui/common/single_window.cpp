#include "ui/common/single_window.h"

#include <algorithm>

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

QPoint besidePosition(const QRect& anchor, const QSize& size, const QRect& available) {
    const int top = std::clamp(anchor.top(), available.top(),
                               std::max(available.top(), available.bottom() + 1 - size.height()));
    const int left = std::clamp(anchor.left(), available.left(),
                                std::max(available.left(), available.right() + 1 - size.width()));
    const int roomRight = available.right() - anchor.right();
    const int roomLeft = anchor.left() - available.left();
    const int roomBelow = available.bottom() - anchor.bottom();
    const int roomAbove = anchor.top() - available.top();
    if (roomRight >= size.width())
        return {anchor.right() + 1, top};
    if (roomLeft >= size.width())
        return {anchor.left() - size.width(), top};
    if (roomBelow >= size.height())
        return {left, anchor.bottom() + 1};
    if (roomAbove >= size.height())
        return {left, anchor.top() - size.height()};
    // No side has room: against the edge of the roomiest side, covering as little as it can.
    const int best = std::max({roomRight, roomLeft, roomBelow, roomAbove});
    QRect placed(QPoint(0, 0), size);
    if (best == roomRight)
        placed.moveTopRight(QPoint(available.right(), top));
    else if (best == roomLeft)
        placed.moveTopLeft(QPoint(available.left(), top));
    else if (best == roomBelow)
        placed.moveBottomLeft(QPoint(left, available.bottom()));
    else
        placed.moveTopLeft(QPoint(left, available.top()));
    placed.moveLeft(std::max(placed.left(), available.left()));
    placed.moveTop(std::max(placed.top(), available.top()));
    return placed.topLeft();
}

void placeBeside(QWidget* window, const QWidget* anchor) {
    QScreen* screen = anchor->screen();
    if (!screen)
        return;
    window->ensurePolished();
    // Before it is shown the window has no frame yet; the anchor's is the best guess of its size.
    const QMargins frame(anchor->geometry().left() - anchor->frameGeometry().left(),
                         anchor->geometry().top() - anchor->frameGeometry().top(),
                         anchor->frameGeometry().right() - anchor->geometry().right(),
                         anchor->frameGeometry().bottom() - anchor->geometry().bottom());
    const QSize outer = window->size().grownBy(frame);
    const QPoint topLeft =
        besidePosition(anchor->frameGeometry(), outer, screen->availableGeometry());
    window->move(topLeft); // a top-level window's position is its frame's
}

} // namespace orvane::ui
