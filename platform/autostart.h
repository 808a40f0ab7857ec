// Starting the program at logon: an entry in the user's XDG autostart folder.
//
// Paths and names are in the program's code page; the entry file itself is
// written in UTF-8 as desktop entries require.
#pragma once

#include <string>
#include <string_view>

namespace korvane::platform {

// $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when that variable is
// unset, empty or not an absolute path. No trailing separator.
std::string AutostartFolder();

// The entry file for a program titled `title`: the autostart folder, then the
// title without surrounding blanks and control characters, then ".desktop".
std::string AutostartEntryPath(std::string_view title);

// The text of a desktop entry that starts `executable` in `directory`.
std::string DesktopEntryText(std::string_view name, std::string_view executable,
                             std::string_view directory);

// Writes (or replaces) the entry file, creating the autostart folder when
// needed. Returns an error text for the user, empty on success.
std::string WriteAutostartEntry(const std::string& entryPath, std::string_view name,
                                std::string_view executable, std::string_view directory);

// Removes the entry file; nothing happens when there is none.
void RemoveAutostartEntry(const std::string& entryPath);

bool AutostartEntryExists(const std::string& entryPath);

}  // namespace korvane::platform
