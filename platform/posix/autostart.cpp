#include "platform/autostart.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/ansitext.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/posix/desktop_entry.h"
#include "platform/posix/home.h"

namespace korvane::platform {
namespace {

// A string value of a desktop entry: backslash, newline, tab and carriage
// return are written as escapes.
std::string EscapeValue(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// One argument of an Exec line: always in double quotes, with '"', '`', '$'
// and '\' backslash-escaped inside them and '%' doubled, since a bare '%'
// would start a field code.
std::string QuoteExecArgument(std::string_view arg) {
    std::string out = "\"";
    for (char c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    return out + "\"";
}

bool MakeFolders(const std::string& native) {
    for (size_t slash = native.find('/', 1);; slash = native.find('/', slash + 1)) {
        const std::string part = native.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

}  // namespace

std::string AutostartFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string base = config && config[0] == '/' ? config : HomeFolder() + "/.config";
    return ToCodePage(base + "/autostart");
}

std::string AutostartEntryPath(std::string_view title) {
    return AutostartFolder() + "/" + Trim(title) + ".desktop";
}

std::string DesktopEntryText(std::string_view name, std::string_view executable,
                             std::string_view directory) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           EscapeValue(FromCodePage(name)) + "\n" +
           "Exec=" + EscapeValue(QuoteExecArgument(FromCodePage(executable))) + "\n" +
           "Path=" + EscapeValue(FromCodePage(directory)) + "\n" + "Terminal=false\n";
}

std::string WriteAutostartEntry(const std::string& entryPath, std::string_view name,
                                std::string_view executable, std::string_view directory) {
    const std::string native = NativePath(entryPath);
    const size_t cut = native.find_last_of('/');
    if (cut != std::string::npos && cut > 0 && !MakeFolders(native.substr(0, cut))) {
        return "Cannot create the folder " + native.substr(0, cut) + ": " + std::strerror(errno);
    }
    const std::string text = DesktopEntryText(name, executable, directory);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return "Cannot write " + native + ": " + std::strerror(errno);
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            return "Cannot write " + native + ": " + std::strerror(error);
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return {};
}

void RemoveAutostartEntry(const std::string& entryPath) {
    ::unlink(NativePath(entryPath).c_str());
}

bool AutostartEntryExists(const std::string& entryPath) {
    return FileExists(entryPath);
}

}  // namespace korvane::platform
