// Where the program keeps what it writes when its own folder is read-only.
//
// A copy in a folder the user can write (a portable copy, a build folder)
// keeps its notebook, drafts, backups and sys.ini beside the executable. An
// installed copy (a system folder) keeps them in the user's data folder,
// under the same relative names. Paths are in the program's code page.
#pragma once

#include <string>

namespace korvane::platform {

// True when a file can be made in `folder`: a probe file is created there
// and removed again.
bool CanWriteIn(const std::string& folder);

// The user's data folder for the program `name`: $XDG_DATA_HOME/<name>/ when
// that variable is an absolute path, else ~/.local/share/<name>/. With its
// trailing separator; not created.
std::string PerUserDataFolder(const std::string& name);

// Decided once at start, after the application paths are set: when the
// application directory cannot be written, the data directory becomes the
// user's data folder for `name` (created, private to the user, with its hd
// folder). A user folder that cannot be made leaves the data beside the
// program, where saves then say why they fail. Returns the data directory.
std::string UsePerUserDataWhenReadOnly(const std::string& name);

}  // namespace korvane::platform
