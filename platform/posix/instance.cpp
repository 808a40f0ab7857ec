#include "platform/instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/codepage.h"

namespace korvane::platform {
namespace {

// flock without waiting, retried when a signal interrupts it: 0, or the error.
int LockNow(int fd) {
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

// A folder of this user's own that nobody else may write into.
bool IsPrivateFolder(const std::string& folder) {
    struct stat st {};
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Where the lock file lives: the user's runtime folder, or else a folder of
// the user's own under the cache folder. Never a name in a shared folder such
// as /tmp, where another user could take the name first and keep the program
// from starting. Empty when there is no such folder.
std::string LockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && IsPrivateFolder(runtime)) return runtime;
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/') {
        cache = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        cache = std::string(home) + "/.cache";
    } else {
        return {};
    }
    ::mkdir(cache.c_str(), 0700);
    const std::string own = cache + "/korvane";
    ::mkdir(own.c_str(), 0700);
    return IsPrivateFolder(own) ? own : std::string();
}

}  // namespace

InstanceLock::InstanceLock(std::string_view name) {
    const std::string folder = LockFolder();
    if (folder.empty()) return;  // unprotected: better to run than to refuse
    path_ = folder + "/" + std::string(name) + "-" + std::to_string(::getuid()) + ".lock";
    // O_NOFOLLOW: nobody can point the lock file elsewhere.
    // O_CLOEXEC: programs started later (the updater) must not inherit the lock.
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const int error = LockNow(fd);
    if (error == 0) {
        state_ = State::kFirst;
        handle_ = fd;
        return;
    }
    state_ = error == EWOULDBLOCK ? State::kAlreadyRunning : State::kUnprotected;
    ::close(fd);
}

InstanceLock::~InstanceLock() {
    // Closing the descriptor releases the lock; the file stays for the next run.
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

WriterLock::WriterLock(const std::string& path) {
    // O_NOFOLLOW: nobody can point the lock file elsewhere; O_CLOEXEC: a
    // program started later does not keep the lock after this one ends.
    const int fd =
        ::open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const int error = LockNow(fd);
    if (error == 0) {
        state_ = State::kHeld;
        handle_ = fd;
        return;
    }
    state_ = error == EWOULDBLOCK ? State::kHeldElsewhere : State::kUnprotected;
    ::close(fd);
}

WriterLock::~WriterLock() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

}  // namespace korvane::platform
