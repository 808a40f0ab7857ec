// Settings files in the INI format, read and written one value at a time.
//
// Behaves like the classic profile functions: section and key names match
// without regard to ASCII letter case, a write keeps every other section, key,
// comment and line of the file as it was, and the file and the section are
// created by the first write. Paths are in the program's code page.
#pragma once

#include <string>
#include <string_view>

namespace korvane::platform {

// Values are read into a buffer of this many characters, terminator included,
// so a longer value comes back cut to kProfileValueCapacity - 1 characters.
inline constexpr size_t kProfileValueCapacity = 2048;

// The value of `key` in `section`, with surrounding blanks and one pair of
// matching surrounding quotes removed; `fallback` when the file, the section or
// the key is missing. The first of several equal sections or keys counts.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback = {});

// Sets `key` in `section` to `value`: replaces the key's line in place, or adds
// it after the last line of the section, or appends the section at the end of
// the file. False when the file cannot be written; the file is then unchanged.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace korvane::platform
