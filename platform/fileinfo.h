// What a path names, looked at without following a symbolic link, and when
// a file was last written; for files that are opened only when they are what
// their name promises (a backup, a notebook kept aside).
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

}  // namespace korvane::platform
