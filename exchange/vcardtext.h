// The text level of vCard lines: escaping of values, folding of long lines,
// and the decodings a value may arrive in.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// A text value escaped: backslash, comma and semicolon behind a backslash,
// CR LF as "\n", every other control character but the tab as "\xHH".
std::string EscapeVCardText(std::string_view utf8);

// The inverse, also for other writers' files: "\n" and "\N" give CR LF, "\:"
// a colon; an unknown escape stays as written.
std::string UnescapeVCardText(std::string_view value);

// Splits a structured value at unescaped semicolons (or commas).
std::vector<std::string> SplitVCardValue(std::string_view value, char separator);

// "NAME:value" folded into lines of at most 75 octets, each ended by CR LF,
// continuation lines starting with a blank; a UTF-8 character or an escape is
// never split.
std::string FoldVCardLine(std::string_view line);

// Quoted-printable (soft breaks already joined): "=HH" gives the byte; an "="
// followed by anything else stays as written.
std::string DecodeQuotedPrintable(std::string_view value);

// Bytes in a card's CHARSET as UTF-8: UTF-8 and ASCII as they are, the Chinese code pages by the
// code page's rule, Latin-1 and Windows-1252 as Latin-1; nothing for another character set.
std::optional<std::string> CharsetToUtf8(std::string_view bytes, std::string_view charset);

// Base64, blanks ignored; nothing when other characters appear.
std::optional<std::string> DecodeBase64(std::string_view value);

// Percent-encoding of a URI's path for IMPP values, and its inverse.
std::string PercentEncode(std::string_view utf8);
std::string PercentDecode(std::string_view text);

}  // namespace korvane
