#pragma once

class QWidget;

namespace orvane::ui {

// Asks the window manager to leave the window out of the taskbar and pager. Qt has no portable
// call for this; on X11 the window carries _NET_WM_STATE_SKIP_TASKBAR before it is mapped, and
// elsewhere the window keeps its ordinary entry. Call before the first show().
void keepOutOfTaskbar(QWidget* window);

} // namespace orvane::ui
