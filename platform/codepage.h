// Conversion between the program's code page and Unicode.
//
// The program keeps every text as a byte string in its code page (GBK), as the
// database files and settings store them. Text is converted only where it meets
// something that speaks Unicode: the window toolkit and the file system. The
// conversion uses GB18030, the superset of GBK that encodes every Unicode
// character and equals GBK wherever GBK has the character, so nothing typed is lost.
#pragma once

#include <string>
#include <string_view>

namespace korvane::platform {

// UTF-8 text to code-page bytes. Invalid UTF-8 sequences become '?'; the euro
// sign becomes 0x80 and U+F800 to U+F87F the bytes 0x80 to 0xFF.
std::string ToCodePage(std::string_view utf8);

// Code-page bytes to UTF-8 text. 0x80 is the euro sign, as in the Windows GBK
// table. Each byte that forms no character becomes the private-use character
// U+F780 + byte, which ToCodePage turns back into that byte, so
// ToCodePage(FromCodePage(b)) == b for every byte string b.
std::string FromCodePage(std::string_view bytes);

// True when every character of the UTF-8 text has a GBK (two-byte or ASCII)
// form, i.e. the code-page bytes would be readable by a GBK-only reader.
bool FitsGbk(std::string_view utf8);

// A file-system path in the code page converted to the native form (UTF-8 here).
std::string NativePath(std::string_view codePagePath);

// True when the system's file functions hold the code-page path exactly, so
// a file made under it gets that name: always where paths are Unicode; on
// Windows only what its ANSI code page can spell.
bool NativePathHolds(std::string_view codePagePath);

}  // namespace korvane::platform

namespace korvane {

// A Chinese literal written in UTF-8 source, in the program's code page.
// Call sites keep the result in a function-local static so each literal is
// converted once.
inline std::string Cp(std::string_view utf8) {
    return platform::ToCodePage(utf8);
}

}  // namespace korvane
