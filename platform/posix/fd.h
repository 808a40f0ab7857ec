// File descriptor helpers shared by the POSIX implementations.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace korvane::platform::posix {

// A file descriptor closed when the object goes.
struct Fd {
    int fd;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

// Writes all of `data`, retrying short and interrupted writes.
inline bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace korvane::platform::posix
