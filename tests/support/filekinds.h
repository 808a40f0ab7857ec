// The things a name may stand for on a POSIX file system, made on demand for
// the tests of the readers that must take only a regular file: each kind is
// made at a given path, and a reader can be run in a child process that a
// read which waits cannot hold up. Header only.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/tempdir.h"

namespace korvane::test {

enum class FileKind {
    kRegular,        // holds the content asked for
    kOversized,      // one byte over the limit (sparse: nothing is written)
    kLinkToRegular,  // a symbolic link to a regular file holding the content
    kLinkToDevZero,  // a symbolic link to /dev/zero, which never ends
    kDanglingLink,   // a symbolic link to nothing
    kFifo,           // a FIFO no one writes to: opening it to read would wait
    kFolder,
    kMissing,
    kUnreadable,  // a regular file with no permissions (see ReadAsNobody)
};

// The kind's name, for the names of parameterised tests.
inline std::string FileKindName(FileKind kind) {
    static const char* const names[] = {"Regular",       "Oversized",    "LinkToRegular",
                                        "LinkToDevZero", "DanglingLink", "Fifo",
                                        "Folder",        "Missing",      "Unreadable"};
    return names[static_cast<int>(kind)];
}

// Makes `kind` at `path`; `content` is what the regular kinds hold, `limit`
// the reader's size limit. A link's target goes beside `path`.
inline void MakeFileKind(FileKind kind, const std::filesystem::path& path,
                         const std::string& content, uint64_t limit) {
    namespace fs = std::filesystem;
    const fs::path target = path.string() + ".target";
    switch (kind) {
        case FileKind::kRegular:
            WriteFile(path, content);
            break;
        case FileKind::kOversized:
            WriteFile(path, content);
            fs::resize_file(path, limit + 1);
            break;
        case FileKind::kLinkToRegular:
            WriteFile(target, content);
            fs::create_symlink(target, path);
            break;
        case FileKind::kLinkToDevZero:
            fs::create_symlink("/dev/zero", path);
            break;
        case FileKind::kDanglingLink:
            fs::create_symlink(target, path);
            break;
        case FileKind::kFifo:
            if (::mkfifo(path.c_str(), 0600) != 0) std::abort();
            break;
        case FileKind::kFolder:
            fs::create_directory(path);
            break;
        case FileKind::kMissing:
            break;
        case FileKind::kUnreadable:
            WriteFile(path, content);
            fs::permissions(path, fs::perms::none);
            break;
    }
}

// Ends the calling child process after a generous time when a read waits
// (the test then sees it killed by SIGALRM instead of hanging), and drops
// root for a kind whose refusal rests on file modes, which bind root not.
inline void PrepareChild(FileKind kind) {
    ::alarm(60);
    if (kind == FileKind::kUnreadable && ::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(120);
}

}  // namespace korvane::test
