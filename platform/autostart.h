// Starting the program at logon: an entry in the user's autostart folder (the
// XDG autostart folder with a desktop entry, or the Windows Startup folder
// with a shell shortcut).
//
// Paths and names are in the program's code page.
#pragma once

#include <string>
#include <string_view>

namespace korvane::platform {

// What the "start at logon" option does with the entry: write it for the
// executable's current place, remove it, or tell whether it exists.
enum class AutostartAction { Write = 0, Remove = 1, Check = 2 };

// The user's autostart folder, without a trailing separator.
std::string AutostartFolder();

// The entry file for a program titled `title`: the autostart folder, then the
// title without surrounding blanks and control characters, then the entry
// type's extension.
std::string AutostartEntryPath(std::string_view title);

// Writes (or replaces) the entry file, which starts `executable` in
// `directory`; the folder is created when needed. Returns an error text for
// the user (UTF-8), empty on success.
std::string WriteAutostartEntry(const std::string& entryPath, std::string_view name,
                                std::string_view executable, std::string_view directory);

// Removes the entry file; nothing happens when there is none.
void RemoveAutostartEntry(const std::string& entryPath);

bool AutostartEntryExists(const std::string& entryPath);

}  // namespace korvane::platform
