#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/codepage.h"
#include "platform/posix/fd.h"

namespace korvane::platform {

using posix::Fd;
using posix::WriteAll;

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool CopyFileNoOverwrite(const std::string& from, const std::string& to) {
    Fd src(::open(NativePath(from).c_str(), O_RDONLY | O_CLOEXEC));
    if (src.fd < 0) return false;
    // O_EXCL makes "never overwrite" atomic: an existing file is left alone.
    const std::string target = NativePath(to);
    Fd dst(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (dst.fd < 0) return false;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(src.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (n > 0 && !WriteAll(dst.fd, std::string_view(buffer, n)))) {
            ::unlink(target.c_str());  // never leave half a database behind
            return false;
        }
        if (n == 0) return true;
    }
}

std::string RunningExecutablePath() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return {};
    return ToCodePage(std::string_view(buffer, n));
}

}  // namespace korvane::platform
