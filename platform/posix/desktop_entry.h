// The XDG desktop entry that the POSIX autostart writes.
#pragma once

#include <string>
#include <string_view>

namespace korvane::platform {

// The text of a desktop entry (UTF-8, as desktop entries require) that starts
// `executable` in `directory`; the arguments are in the code page.
std::string DesktopEntryText(std::string_view name, std::string_view executable,
                             std::string_view directory);

}  // namespace korvane::platform
