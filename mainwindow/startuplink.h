// The autostart entry behind the "start at logon" option, named after the
// window's title.
#pragma once

#include <string>

#include "platform/autostart.h"

class QWidget;

namespace korvane {

// Write writes the entry for the executable's current place (a failure is
// shown over `parent`), Remove removes it, Check tells whether it exists;
// only Check can return true. `title` is the caption's title in the code page.
bool StartupLinkFor(platform::AutostartAction action, const std::string& title, QWidget* parent);

}  // namespace korvane
