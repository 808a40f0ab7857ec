#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string_view>

#include "platform/codepage.h"
#include "platform/posix/fd.h"

namespace korvane::platform {

using posix::Fd;
using posix::WriteAll;

char PathSeparator() {
    return '/';
}

size_t LastSeparator(std::string_view path) {
    return path.rfind('/');
}

bool FlushToDisk(int descriptor) {
    return ::fsync(descriptor) == 0;
}

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

namespace {

// The folder part of a native path ("." for a bare name).
std::string FolderOf(const std::string& native) {
    const size_t slash = native.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return native.substr(0, slash);
}

bool SyncNativeFolder(const std::string& native) {
    Fd folder(::open(FolderOf(native).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.fd >= 0 && ::fsync(folder.fd) == 0;
}

// Copies every byte of `src` to `dst`, retrying interrupted reads.
bool CopyBytes(int src, int dst) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(src, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!WriteAll(dst, std::string_view(buffer, static_cast<size_t>(n)))) return false;
    }
}

// Writes a flushed copy of `from` to a new file at `temporary`.
bool WriteSyncedCopy(const std::string& from, const std::string& temporary) {
    Fd src(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (src.fd < 0) return false;
    Fd dst(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (dst.fd < 0) return false;
    return CopyBytes(src.fd, dst.fd) && ::fsync(dst.fd) == 0;
}

// link() fails when the new name exists, which makes the move refuse to
// replace; the old name is dropped only once the new one is in place.
bool LinkThenUnlink(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

}  // namespace

std::optional<int64_t> FileSize(const std::string& path) {
    struct stat st {};
    if (::stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<int64_t>(st.st_size);
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat st {};
    if (::stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    if (st.st_nlink == 0) return std::nullopt;
    return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool RemoveFile(const std::string& path) {
    return ::unlink(NativePath(path).c_str()) == 0 || errno == ENOENT;
}

bool SyncFolderOf(const std::string& path) {
    return SyncNativeFolder(NativePath(path));
}

bool MoveNoReplace(const std::string& from, const std::string& to) {
    const std::string target = NativePath(to);
    if (!LinkThenUnlink(NativePath(from), target)) return false;
    SyncNativeFolder(target);
    return true;
}

bool CopyFileDurably(const std::string& from, const std::string& to, const std::string& temporary) {
    const std::string staged = NativePath(temporary);
    ::unlink(staged.c_str());  // left by a copy that was killed half-way
    const bool placed =
        WriteSyncedCopy(NativePath(from), staged) && LinkThenUnlink(staged, NativePath(to));
    if (!placed) {
        ::unlink(staged.c_str());
        return false;
    }
    SyncNativeFolder(NativePath(to));
    return true;
}

bool EnsureFolder(const std::string& path) {
    const std::string native = NativePath(path);
    if (::mkdir(native.c_str(), 0755) == 0) {
        SyncNativeFolder(native);  // the new entry in the parent
        return true;
    }
    struct stat st {};
    return errno == EEXIST && ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(NativePath(folder).c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.push_back(ToCodePage(name));
    }
    ::closedir(dir);
    return names;
}

std::string RunningExecutablePath() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return {};
    return ToCodePage(std::string_view(buffer, n));
}

}  // namespace korvane::platform
