// UTF-8 encoding of one character, for the code-page conversions and the
// finder's folded texts.
#pragma once

#include <string>

namespace korvane {

// Appends `c` (a Unicode scalar value) to `out` as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace korvane
