// File operations on paths written in the program's code page.
#pragma once

#include <string>

namespace korvane::platform {

bool FileExists(const std::string& path);

// Copies `from` to `to` unless a file already exists at `to`; true when copied.
bool CopyFileNoOverwrite(const std::string& from, const std::string& to);

// Full path of the running executable, in the code page.
std::string RunningExecutablePath();

}  // namespace korvane::platform
