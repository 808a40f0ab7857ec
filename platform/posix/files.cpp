#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// The last component of a native path.
std::string NameOf(const std::string& native) {
    const size_t slash = native.rfind('/');
    return slash == std::string::npos ? native : native.substr(slash + 1);
}

// Removes the regular files a replacing write of `native` made and, killed
// half-way, never renamed. Only this program writes its files, so any such
// leftover is stale.
void RemoveStaleTemporaries(const std::string& native) {
    const std::string folder = FolderOf(native);
    const std::string name = NameOf(native);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryNameOf(entry->d_name, name)) continue;
        const std::string stale = folder + "/" + entry->d_name;
        struct stat st {};
        if (::lstat(stale.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(stale.c_str());
    }
    ::closedir(dir);
}

// Why an open of a name that was a regular file a moment before failed.
FileReadFailure OpenFailure(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return FileReadFailure::kNotFound;
        case ELOOP:   // O_NOFOLLOW met a link (Linux)
        case EMLINK:  // the same on the BSDs
            return FileReadFailure::kLink;
        case ENXIO:
        case ENODEV:
        case EISDIR:
        case EWOULDBLOCK:
            return FileReadFailure::kNotRegular;
        default:
            return FileReadFailure::kUnreadable;
    }
}

FileRead Refused(FileReadFailure failure) {
    return FileRead{{}, failure};
}

// Reads what is left of the open file, refusing it when more than `maxBytes`
// come: the file may grow after its size was taken.
FileRead ReadAtMost(int fd, uint64_t maxBytes, uint64_t expected) {
    FileRead read;
    read.bytes.reserve(static_cast<size_t>(std::min(expected, maxBytes)));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Refused(FileReadFailure::kUnreadable);
        if (n == 0) return read;
        if (read.bytes.size() + static_cast<uint64_t>(n) > maxBytes) {
            return Refused(FileReadFailure::kTooLarge);
        }
        read.bytes.append(buffer, static_cast<size_t>(n));
    }
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

FileRead ReadRegularFile(const std::string& path, uint64_t maxBytes) {
    const std::string native = NativePath(path);
    // A first look at the name itself, so that nothing but a regular file is
    // ever opened (opening a device may already do something).
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0) return Refused(OpenFailure(errno));
    if (S_ISLNK(st.st_mode)) return Refused(FileReadFailure::kLink);
    if (!S_ISREG(st.st_mode)) return Refused(FileReadFailure::kNotRegular);
    // The name may have changed since: the open itself refuses a link, and
    // O_NONBLOCK keeps it from waiting for a FIFO's writer.
    Fd in(::open(native.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (in.fd < 0) return Refused(OpenFailure(errno));
    if (::fstat(in.fd, &st) != 0) return Refused(FileReadFailure::kUnreadable);
    if (!S_ISREG(st.st_mode)) return Refused(FileReadFailure::kNotRegular);
    const auto size = static_cast<uint64_t>(st.st_size);
    if (size > maxBytes) return Refused(FileReadFailure::kTooLarge);
    // A regular file reads the same either way; reads then wait as usual.
    const int flags = ::fcntl(in.fd, F_GETFL);
    if (flags < 0 || ::fcntl(in.fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return Refused(FileReadFailure::kUnreadable);
    }
    return ReadAtMost(in.fd, maxBytes, size);
}

bool ReplaceFileDurably(const std::string& path, std::string_view bytes) {
    const std::string native = NativePath(path);
    RemoveStaleTemporaries(native);
    mode_t mode = 0644;
    struct stat st {};
    if (::lstat(native.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return false;
        if (S_ISREG(st.st_mode)) mode = st.st_mode & 0777;
    }
    std::string temporary = native + ".tmp-XXXXXX";
    Fd out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.fd < 0) return false;
    // rename() replaces the name: a link there goes, its target is not touched.
    const bool placed = ::fchmod(out.fd, mode) == 0 && WriteAll(out.fd, bytes) &&
                        ::fsync(out.fd) == 0 && ::rename(temporary.c_str(), native.c_str()) == 0;
    if (!placed) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncNativeFolder(native);
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

bool WriteNewFile(const std::string& path, std::string_view bytes) {
    const std::string native = NativePath(path);
    Fd out(::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (out.fd < 0) return false;
    if (WriteAll(out.fd, bytes)) return true;
    ::unlink(native.c_str());
    return false;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    const std::string source = NativePath(from);
    const std::string target = NativePath(to);
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        SyncNativeFolder(target);
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: look first (a race only another
    // program renaming into this very name could lose).
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 || ::rename(source.c_str(), target.c_str()) != 0) {
        return false;
    }
    SyncNativeFolder(target);
    return true;
}

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    return ::remove(path) == 0 || errno == ENOENT ? 0 : -1;
}

}  // namespace

bool RemoveFolderTree(const std::string& path) {
    const std::string native = NativePath(path);
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0) return errno == ENOENT;
    // Depth first, links as links: nothing outside the folder is touched.
    ::nftw(native.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    return ::lstat(native.c_str(), &st) != 0 && errno == ENOENT;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string RunningExecutablePath() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return {};
    return ToCodePage(std::string_view(buffer, n));
}

}  // namespace korvane::platform
