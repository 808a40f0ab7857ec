// Settings files in the INI format, read and written one value at a time.
//
// Behaves like the classic profile functions: section and key names match
// without regard to ASCII letter case, a write keeps every other section, key,
// comment and line of the file as it was, and the file and the section are
// created by the first write. Paths are in the program's code page.
//
// The file is read only as a regular file of at most kProfileMaxBytes, never
// through a symbolic link, and a write replaces it whole: the new content
// goes to a temporary in the same folder, is flushed and renamed into place
// (ReplaceFileDurably), so a write never goes through a link either; a link
// named as the file is replaced by a regular file, its target is untouched.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace korvane::platform {

// Values are read into a buffer of this many characters, terminator included,
// so a longer value comes back cut to kProfileValueCapacity - 1 characters.
inline constexpr size_t kProfileValueCapacity = 2048;

// A settings file larger than this is neither read nor rewritten. The
// program's own file holds a few hundred bytes; a megabyte leaves room for
// any sections a user adds by hand, while every read and write (the window's
// settings take seven of each) stays a matter of milliseconds.
inline constexpr uint64_t kProfileMaxBytes = uint64_t{1} << 20;

// How the file at `path` reads: kNone when it is used; kNotFound when there
// is none (the first write makes it); kLink when a link stands in its place
// (reads give the fallbacks, and the first write puts a regular file there);
// kTooLarge, kNotRegular or kUnreadable when it is refused: reads give the
// fallbacks and writes fail, so the file stays exactly as it is.
FileReadFailure ProfileFileState(const std::string& path);

// The value of `key` in `section`, with surrounding blanks and one pair of
// matching surrounding quotes removed; `fallback` when the file, the section or
// the key is missing, or the file is refused (see ProfileFileState). The first of several equal
// sections or keys counts.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback = {});

// Sets `key` in `section` to `value`: replaces the key's line in place, or adds
// it after the last line of the section, or appends the section at the end of
// the file. False when the file cannot be written or is refused (see
// ProfileFileState); the file is then unchanged.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace korvane::platform
