// Code page conversion on Windows: the system's GBK table (code page 936) for
// the two-byte codes, GB18030's four-byte sequences for what GBK lacks, and
// an exact way back for every byte. The rules are those of the POSIX side,
// which converts through GB18030, so both read and write the same bytes:
//  - 0x80 is the euro sign; A2 E3 (GB18030's other euro) counts as undecodable.
//  - A code is taken as a character only when encoding that character gives
//    the same bytes again.
//  - Where the GBK table has a private-use character for a code that GB18030
//    gives a real one, GB18030's character is used.
//  - Every byte that does not decode becomes U+F780 + byte, which encoding
//    turns back into that byte; four-byte sequences landing in that range are
//    undecodable, byte by byte.
//  - Invalid UTF-8, and a character without a code, become one '?' per byte.
#include "platform/codepage.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "base/utf8.h"
#include "platform/gb18030.h"
#include "platform/win32/handle.h"

namespace korvane::platform {
namespace {

constexpr UINT kGbk = 936;
constexpr char32_t kEuro = 0x20AC;
constexpr unsigned char kEuroByte = 0x80;
constexpr uint16_t kOtherEuro = 0xA2E3;
constexpr char32_t kRawByteBase = 0xF780;
constexpr char32_t kRawFirst = kRawByteBase + 0x80;
constexpr char32_t kRawLast = kRawByteBase + 0xFF;
constexpr char32_t kNone = 0xFFFFFFFF;

bool IsRawByteCharacter(char32_t c) {
    return c >= kRawFirst && c <= kRawLast;
}

bool InRange(unsigned char c, unsigned char low, unsigned char high) {
    return c >= low && c <= high;
}

// The system table's character for one two-byte code when it converts back to
// the same code, else kNone.
char32_t SystemCharacter(const char pair[2]) {
    wchar_t wide[2];
    if (::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, pair, 2, wide, 2) != 1) return kNone;
    char back[4];
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(kGbk, 0, wide, 1, back, sizeof back, nullptr, &usedDefault);
    if (n != 2 || usedDefault || back[0] != pair[0] || back[1] != pair[1]) return kNone;
    return wide[0];
}

// The character of every two-byte code (lead 0x81 to 0xFE), and the way
// back for the BMP characters, worked out once.
struct TwoByteTables {
    std::vector<char32_t> character = std::vector<char32_t>(0x7E * 0x100, kNone);
    std::vector<uint16_t> code = std::vector<uint16_t>(0x10000, 0);
};

const TwoByteTables& Tables() {
    static const TwoByteTables tables = [] {
        TwoByteTables t;
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                const auto code = static_cast<uint16_t>(lead << 8 | trail);
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char32_t c = gb18030::TwoByteOverride(code).value_or(SystemCharacter(pair));
                if (code == kOtherEuro || c == kEuro || IsRawByteCharacter(c)) c = kNone;
                if (c >= 0xD800 && c <= 0xDFFF) c = kNone;
                t.character[(lead - 0x81) * 0x100 + trail] = c;
                if (c < 0x10000) t.code[c] = code;
            }
        }
        return t;
    }();
    return tables;
}

char32_t TwoByteCharacter(unsigned char lead, char trail) {
    return Tables().character[(lead - 0x81) * 0x100 + static_cast<unsigned char>(trail)];
}

// The well-formed UTF-8 character at `at` and its length, or nothing.
std::optional<std::pair<char32_t, size_t>> Utf8At(std::string_view s, size_t at) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(s[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return std::make_pair(char32_t{lead}, size_t{1});
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (length == 0 || s.size() - at < length) return std::nullopt;
    // The second byte's range rules out overlong forms, surrogates and
    // characters past U+10FFFF.
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (!InRange(byte(1), low, high)) return std::nullopt;
    char32_t c = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if (i > 1 && !InRange(byte(i), 0x80, 0xBF)) return std::nullopt;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    return std::make_pair(c, length);
}

// The code-page bytes of one character; empty when it has none.
std::string Encode(char32_t c) {
    if (c < 0x80) return std::string(1, static_cast<char>(c));
    if (c == kEuro) return std::string(1, static_cast<char>(kEuroByte));
    if (IsRawByteCharacter(c)) return std::string(1, static_cast<char>(c - kRawByteBase));
    uint16_t code = c < 0x10000 ? Tables().code[c] : 0;
    if (code == 0) code = gb18030::TwoByteOverrideCode(c).value_or(0);
    if (code != 0) return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    return gb18030::FourByteForm(c);
}

// The length of the multi-byte sequence at `at` judged by its byte ranges
// alone (2 or 4), or 0 when the lead byte starts none.
size_t SequenceLength(std::string_view bytes, size_t at) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const size_t left = bytes.size() - at;
    if (!InRange(byte(0), 0x81, 0xFE) || left < 2) return 0;
    if (InRange(byte(1), 0x40, 0x7E) || InRange(byte(1), 0x80, 0xFE)) return 2;
    if (InRange(byte(1), 0x30, 0x39) && left >= 4 && InRange(byte(2), 0x81, 0xFE) &&
        InRange(byte(3), 0x30, 0x39)) {
        return 4;
    }
    return 0;
}

char32_t FourByteCharacter(std::string_view sequence) {
    const std::optional<char32_t> c = gb18030::FourByteCharacter(sequence);
    if (!c || *c == kEuro || IsRawByteCharacter(*c) || Encode(*c) != sequence) return kNone;
    return *c;
}

std::wstring WideFromUtf8(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(),
                          static_cast<int>(wide.size()));
    return wide;
}

std::string MultiByteFromWide(UINT codePage, std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    std::string out(
        ::WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr), '\0');
    ::WideCharToMultiByte(codePage, 0, wide.data(), size, out.data(), static_cast<int>(out.size()),
                          nullptr, nullptr);
    return out;
}

bool SystemUsesGbk() {
    return ::GetACP() == kGbk;
}

}  // namespace

std::string ToCodePage(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        const auto c = Utf8At(utf8, at);
        const std::string bytes = c ? Encode(c->first) : std::string();
        if (bytes.empty()) {
            // As the POSIX converter does: one '?' for the byte it stops at,
            // then on with the next byte.
            out += '?';
            ++at;
            continue;
        }
        out += bytes;
        at += c->second;
    }
    return out;
}

std::string FromCodePage(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2 + 8);
    for (size_t at = 0; at < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[at]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++at;
            continue;
        }
        if (c == kEuroByte) {
            AppendUtf8(out, kEuro);
            ++at;
            continue;
        }
        const size_t length = SequenceLength(bytes, at);
        const char32_t decoded = length == 2   ? TwoByteCharacter(c, bytes[at + 1])
                                 : length == 4 ? FourByteCharacter(bytes.substr(at, 4))
                                               : kNone;
        if (decoded != kNone) {
            AppendUtf8(out, decoded);
            at += length;
        } else {
            AppendUtf8(out, kRawByteBase + c);
            ++at;
        }
    }
    return out;
}

std::string NativePath(std::string_view codePagePath) {
    // The ANSI file functions read the system's code page: GBK on the systems
    // the program is made for; elsewhere the path is converted, as far as the
    // system's code page can hold it.
    if (SystemUsesGbk()) return std::string(codePagePath);
    return MultiByteFromWide(CP_ACP, win32::WideFromCodePage(codePagePath));
}

bool NativePathHolds(std::string_view codePagePath) {
    const std::string utf8 = FromCodePage(codePagePath);
    if (SystemUsesGbk()) return FitsGbk(utf8);
    const std::wstring wide = WideFromUtf8(utf8);
    if (wide.empty()) return true;
    BOOL lost = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                          nullptr, 0, nullptr, &lost);
    return !lost;
}

namespace win32 {

std::wstring WideFromCodePage(std::string_view bytes) {
    return WideFromUtf8(FromCodePage(bytes));
}

std::string CodePageFromWide(std::wstring_view wide) {
    return ToCodePage(MultiByteFromWide(CP_UTF8, wide));
}

std::string CodePageFromAnsi(std::string_view ansi) {
    if (SystemUsesGbk() || ansi.empty()) return std::string(ansi);
    const int size = static_cast<int>(ansi.size());
    std::wstring wide(::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), static_cast<int>(wide.size()));
    return CodePageFromWide(wide);
}

std::string ErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text, n);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    if (message.empty()) return "error " + std::to_string(error);
    return MultiByteFromWide(CP_UTF8, message);
}

}  // namespace win32
}  // namespace korvane::platform
