#include "platform/datafolder.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/log.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"

namespace korvane::platform {
namespace {

// Creates every missing folder along a path in the code page.
bool MakeFolders(const std::string& path) {
    for (size_t cut = path.find('\\', 3);; cut = path.find('\\', cut + 1)) {
        const std::string part = path.substr(0, cut);
        if (!part.empty() && !::CreateDirectoryA(part.c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
        if (cut == std::string::npos || cut + 1 == path.size()) break;
    }
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool CanWriteIn(const std::string& folder) {
    std::string probe = folder;
    if (!probe.empty() && probe.back() != '\\') probe += '\\';
    probe += ".korvane-write-probe-" + std::to_string(::GetCurrentProcessId());
    const HANDLE file =
        ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

std::string PerUserDataFolder(const std::string& name) {
    // The user's local application data, where the system itself puts what
    // old programs write into read-only folders.
    const char* local = std::getenv("LOCALAPPDATA");
    const std::string base = local && local[0] ? local : ".";
    return base + "\\" + name + "\\";
}

std::string UsePerUserDataWhenReadOnly(const std::string& name) {
    SetDataDirectory({});
    if (CanWriteIn(ApplicationDirectory())) return DataDirectory();
    const std::string folder = PerUserDataFolder(name);
    if (!MakeFolders(folder + "hd")) {
        log::Warn(log::Area::Platform, "no data folder of the user's: " + folder);
        return DataDirectory();
    }
    SetDataDirectory(folder);
    return DataDirectory();
}

}  // namespace korvane::platform
