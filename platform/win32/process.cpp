#include "platform/process.h"

#include <windows.h>

#include <cstdio>

#include "platform/codepage.h"

namespace korvane::platform {
namespace {

// One argument as the C runtime's command-line parser reads it back: quoted
// when it holds blanks or quotes, with backslashes before a quote doubled.
std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

}  // namespace

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& directory) {
    std::string line = QuoteArgument(program);
    for (const std::string& a : arguments) line += " " + QuoteArgument(a);
    // WinExec looks for a program without a folder beside this program first,
    // then in the current folder, the system folders and along PATH; the new
    // program inherits the current folder. So `directory` is made current for
    // the start, and the previous one comes back afterwards.
    const std::string folder = NativePath(directory);
    char previous[MAX_PATH];
    const DWORD kept = ::GetCurrentDirectoryA(sizeof previous, previous);
    const bool moved = !folder.empty() && kept > 0 && kept < sizeof previous &&
                       ::SetCurrentDirectoryA(folder.c_str());
    const UINT rc = ::WinExec(NativePath(line).c_str(), SW_SHOWNORMAL);
    if (moved) ::SetCurrentDirectoryA(previous);
    return rc > 31;  // WinExec's values up to 31 are errors
}

void TrimWorkingSet() {
    ::SetProcessWorkingSetSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1),
                               static_cast<SIZE_T>(-1));
}

void ReturnFreedMemoryPromptly() {
    // The system heap gives back freed memory by itself.
}

void GiveBackIdleMemory() {
    // Emptying the working set already takes code pages out with the rest.
    TrimWorkingSet();
}

void UseParentConsole() {
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
    FILE* stream = nullptr;
    ::freopen_s(&stream, "CONOUT$", "w", stdout);
    ::freopen_s(&stream, "CONOUT$", "w", stderr);
}

}  // namespace korvane::platform
