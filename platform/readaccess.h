// Whether the system lets this process read a file, asked without reading it.
#pragma once

#include <string>

namespace korvane::platform {

// True when opening the file at `path` (code page) for reading is refused for
// lack of permission: another user's private file, or a folder on the way
// this user may not enter. False when it opens, and for any other failure (a
// missing file, a file another program holds open).
bool ReadDenied(const std::string& path);

}  // namespace korvane::platform
