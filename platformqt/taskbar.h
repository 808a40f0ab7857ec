// Keeping a top-level window out of the taskbar and the pager.
#pragma once

class QWindow;

namespace korvane::platform {

// Marks a window so that taskbars leave it out: on a window about to be shown
// through its own property, on a shown one through the window manager. Call it
// on every show and again once the window is on screen: window managers drop
// the mark when a window is hidden, and the toolkit sometimes replaces the
// native window while showing it. Does nothing where there is no such mark.
void KeepOffTaskbar(QWindow* window);

}  // namespace korvane::platform
