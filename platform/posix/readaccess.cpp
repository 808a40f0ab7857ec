#include "platform/readaccess.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/codepage.h"

namespace korvane::platform {

bool ReadDenied(const std::string& path) {
    // O_NONBLOCK: a FIFO put in the file's place does not hold the caller up.
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
    return errno == EACCES || errno == EPERM;
}

}  // namespace korvane::platform
