#include "ui/common/window_hints.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef ORVANE_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace orvane::ui {

void keepOutOfTaskbar(QWidget* window) {
#ifdef ORVANE_HAVE_XCB
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // Only the xcb platform has a window manager to ask; offscreen may answer without one.
    if (!x11 || QGuiApplication::platformName() != u"xcb" || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    auto intern = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return atom;
    };
    const xcb_atom_t state = intern("_NET_WM_STATE");
    const xcb_atom_t skip[] = {intern("_NET_WM_STATE_SKIP_TASKBAR"),
                               intern("_NET_WM_STATE_SKIP_PAGER")};
    // Qt merges its own states into what the property already holds when it maps the window.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, xcb_window_t(window->winId()), state,
                        XCB_ATOM_ATOM, 32, 2, skip);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

} // namespace orvane::ui
