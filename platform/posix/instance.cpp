#include "platform/instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace korvane::platform {
namespace {

std::string RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime && runtime[0] == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) {
        return runtime;
    }
    return "/tmp";
}

}  // namespace

InstanceLock::InstanceLock(std::string_view name)
    : path_(RuntimeFolder() + "/" + std::string(name) + "-" + std::to_string(::getuid()) +
            ".lock") {
    // O_NOFOLLOW: in a shared folder such as /tmp nobody can point us elsewhere.
    // O_CLOEXEC: programs started later (the updater) must not inherit the lock.
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    int rc;
    do {
        rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        state_ = State::kFirst;
        return;
    }
    state_ = errno == EWOULDBLOCK ? State::kAlreadyRunning : State::kUnprotected;
    ::close(fd_);
    fd_ = -1;
}

InstanceLock::~InstanceLock() {
    // Closing the descriptor releases the lock; the file stays for the next run.
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace korvane::platform
