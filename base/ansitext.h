// Small helpers for the program's code-page byte strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// Removes characters with codes 0 to 32 (blanks and control characters) from
// both ends. Bytes of double-byte characters are all above 32, so they stay.
std::string Trim(std::string_view text);

// Lower-cases the ASCII letters A to Z only; every other byte stays. A GBK
// lead byte (0x81 to 0xFE) takes the next byte with it, since trail bytes may
// look like ASCII letters ("丄" is 0x81 0x41) and must stay as they are.
std::string LowerAscii(std::string_view text);

// Replaces every occurrence of `from` by `to` (no-op for an empty `from`).
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// A signed 32-bit decimal number, optionally with a sign, nothing else around
// it; "$" followed by hexadecimal digits is read as hexadecimal. Anything else,
// or a value outside the 32-bit range, gives nothing.
std::optional<int32_t> ParseInt32(std::string_view text);

// True when the text is one or more decimal digits and nothing else.
bool IsDecimalDigits(std::string_view text);

}  // namespace korvane
