// Keeping a top-level window out of the taskbar and the pager.
#pragma once

class QWindow;

namespace korvane::platform {

// Marks a window that is about to be shown so that taskbars leave it out.
// Call it on every show: window managers drop the mark when a window is
// hidden. Does nothing where the display server has no such mark.
void KeepOffTaskbar(QWindow* window);

}  // namespace korvane::platform
