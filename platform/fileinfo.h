// What a path names, looked at without following a symbolic link, and when
// a file was last written, for files that are opened only when they are what
// their name promises (a backup, a notebook kept aside); and a second name
// for a file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvane::platform {

enum class EntryKind { Missing, File, Folder, Other };

// A symbolic link (or a reparse point on Windows), a FIFO, a device or a
// socket is Other, whatever it points at.
EntryKind EntryKindOf(const std::string& path);

// When the regular file at `path` was last written, in seconds since
// 1970-01-01 UTC by the system's clock at that moment; nothing when there is
// no regular file.
std::optional<int64_t> ModifiedSeconds(const std::string& path);

// Gives the regular file at `existing` the further name `added` (a hard
// link: both names reach the same bytes, and the file lives on while either
// does). False when `added` exists or the file system has no such names.
bool AddName(const std::string& existing, const std::string& added);

// True when no one but the file's owner, who runs this program, may read or
// write the regular file at `path` (POSIX: owned by this user, no group or
// other permission bits). On Windows a user's files are private to the user
// by their folder's inheritance, so a regular file there is taken as the
// user's own.
bool OnlyOwnerMayAccess(const std::string& path);

}  // namespace korvane::platform
