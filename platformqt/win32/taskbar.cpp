// Off the taskbar on Windows: the tool-window style, which the taskbar skips.
#include "platformqt/taskbar.h"

#include <windows.h>

#include <QWindow>

namespace korvane::platform {

void KeepOffTaskbar(QWindow* window) {
    if (window == nullptr) return;
    const auto hwnd = reinterpret_cast<HWND>(window->winId());
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    const LONG_PTR wanted = (style | WS_EX_TOOLWINDOW) & ~LONG_PTR{WS_EX_APPWINDOW};
    if (wanted == style) return;
    ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, wanted);
    // The shell reads the style when a window is shown; a shown one is told
    // of the change.
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace korvane::platform
