// The system's own profile functions: they match names without regard to
// letter case, strip one pair of quotes, keep every other line on a write and
// create the file and the section on the first one.
#include "platform/profile.h"

#include <windows.h>

#include "platform/codepage.h"

// <windows.h> names the system's own WriteProfileString (for win.ini) by a
// macro, which would rename the function defined here.
#undef WriteProfileString

namespace korvane::platform {

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback) {
    char value[kProfileValueCapacity];
    const DWORD n = ::GetPrivateProfileStringA(
        std::string(section).c_str(), std::string(key).c_str(), std::string(fallback).c_str(),
        value, sizeof value, NativePath(path).c_str());
    return std::string(value, n);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    return ::WritePrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                        std::string(value).c_str(), NativePath(path).c_str()) != 0;
}

}  // namespace korvane::platform
