// Autostart on Windows: a shell shortcut to the program in the user's Startup
// folder, which the shell starts at logon.
#include "platform/autostart.h"

#include <shlobj.h>
#include <windows.h>

#include "base/ansitext.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/win32/com.h"
#include "platform/win32/handle.h"

namespace korvane::platform {
namespace {

constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The value passes through a buffer of MAX_PATH + 1 characters, terminator
// included; a longer one counts as missing.
constexpr DWORD kFolderCapacity = MAX_PATH + 1;

std::string CannotWrite(const std::string& entryPath, DWORD error) {
    return "Cannot write " + FromCodePage(entryPath) + ": " + win32::ErrorText(error);
}

}  // namespace

std::string AutostartFolder() {
    // Used as stored, without expanding environment variables. The key is
    // only read, so only reading is asked for.
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return {};
    }
    char value[kFolderCapacity] = {};
    DWORD size = sizeof value - 1;  // room for the terminator the value may lack
    DWORD type = 0;
    const LONG rc =
        ::RegQueryValueExA(key, "Startup", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    std::string folder(value, strnlen(value, size));
    while (!folder.empty() && LastSeparator(folder) == folder.size() - 1) folder.pop_back();
    return win32::CodePageFromAnsi(folder);
}

std::string AutostartEntryPath(std::string_view title) {
    return AutostartFolder() + "\\" + Trim(title) + ".lnk";
}

std::string WriteAutostartEntry(const std::string& entryPath, std::string_view,
                                std::string_view executable, std::string_view directory) {
    const size_t cut = LastSeparator(entryPath);
    if (cut != std::string::npos && cut > 0 && !EnsureFolder(entryPath.substr(0, cut))) {
        return CannotWrite(entryPath, ::GetLastError());
    }
    win32::ComScope com;
    win32::ComPtr<IShellLinkA> link;
    HRESULT rc =
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                           IID_IShellLinkA, link.out());
    if (FAILED(rc)) return CannotWrite(entryPath, static_cast<DWORD>(rc));
    win32::ComPtr<IPersistFile> file;
    rc = link->QueryInterface(IID_IPersistFile, file.out());
    if (FAILED(rc)) return CannotWrite(entryPath, static_cast<DWORD>(rc));
    link->SetPath(NativePath(executable).c_str());
    link->SetWorkingDirectory(NativePath(directory).c_str());
    // Replaces a shortcut of the same name.
    rc = file->Save(win32::WideFromCodePage(entryPath).c_str(), FALSE);
    if (FAILED(rc)) return CannotWrite(entryPath, static_cast<DWORD>(rc));
    return {};
}

void RemoveAutostartEntry(const std::string& entryPath) {
    ::DeleteFileA(NativePath(entryPath).c_str());
}

bool AutostartEntryExists(const std::string& entryPath) {
    return FileExists(entryPath);
}

}  // namespace korvane::platform
