// The autostart entry behind the "start at logon" option, named after the
// window's title.
#pragma once

#include <string>

class QWidget;

namespace korvane {

// 0 writes the entry for the executable's current place (a failure is shown
// over `parent`), 1 removes it, 2 tells whether it exists; only 2 can return
// true. `title` is the caption's title in the code page.
bool StartupLinkFor(int mode, const std::string& title, QWidget* parent);

}  // namespace korvane
