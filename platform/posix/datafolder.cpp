#include "platform/datafolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "base/log.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/posix/home.h"

namespace korvane::platform {
namespace {

// Creates every missing folder along a native path. New folders are private
// to the user: they hold the user's notes.
bool MakeFolders(const std::string& native) {
    for (size_t slash = native.find('/', 1);; slash = native.find('/', slash + 1)) {
        const std::string part = native.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos || slash + 1 == native.size()) break;
    }
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool CanWriteIn(const std::string& folder) {
    std::string probe = NativePath(folder);
    if (!probe.empty() && probe.back() != '/') probe += '/';
    probe += ".korvane-write-probe-" + std::to_string(::getpid());
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::string PerUserDataFolder(const std::string& name) {
    const char* data = std::getenv("XDG_DATA_HOME");
    const std::string base = data && data[0] == '/' ? data : HomeFolder() + "/.local/share";
    return ToCodePage(base + "/" + name + "/");
}

std::string UsePerUserDataWhenReadOnly(const std::string& name) {
    SetDataDirectory({});
    if (CanWriteIn(ApplicationDirectory())) return DataDirectory();
    const std::string folder = PerUserDataFolder(name);
    if (!MakeFolders(NativePath(folder + "hd"))) {
        log::Warn(log::Area::Platform, "no data folder of the user's: " + NativePath(folder));
        return DataDirectory();
    }
    SetDataDirectory(folder);
    return DataDirectory();
}

}  // namespace korvane::platform
