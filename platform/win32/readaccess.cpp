#include "platform/readaccess.h"

#include <windows.h>

#include <string>

#include "platform/win32/handle.h"

namespace korvane::platform {

bool ReadDenied(const std::string& path) {
    const std::wstring wide = win32::WideFromCodePage(path);
    // A folder refuses a plain open whatever its permissions.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    // Every share mode: a file that another program holds open is readable
    // as far as permission goes.
    const win32::Handle file(::CreateFileW(wide.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid()) return false;
    return ::GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace korvane::platform
