// The parts of GB18030 that the Windows GBK table (code page 936) lacks: the
// four-byte sequences, and the two-byte codes that table maps to private-use
// characters where GB18030 names a real character. Plain data and arithmetic,
// used where the system's converter knows only GBK; the POSIX build's tests
// check every entry against the system's GB18030 converter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane::platform::gb18030 {

// The character of a four-byte sequence, or nothing when the bytes are no
// four-byte sequence or name no character. A character found here may still
// have a shorter form; callers that need exact round trips check that.
std::optional<char32_t> FourByteCharacter(std::string_view bytes);

// The four-byte sequence of a character outside the one- and two-byte forms
// (every character above U+FFFF, and the BMP characters GBK lacks); empty for
// a character that has none.
std::string FourByteForm(char32_t c);

// The character GB18030 gives a two-byte code (lead byte first) that the GBK
// table maps to a private-use character instead; nothing for every other code.
std::optional<char32_t> TwoByteOverride(uint16_t code);

// The reverse: the two-byte code of such a character, or nothing.
std::optional<uint16_t> TwoByteOverrideCode(char32_t c);

}  // namespace korvane::platform::gb18030
