// Code page conversion: the Windows GBK table, GB18030 four-byte sequences for
// what GBK lacks, and an exact way back for every byte.
//
// A record opened and saved unchanged must keep its stored bytes, so decoding
// is chosen to be undone exactly by encoding:
//  - 0x80 is the euro sign, as in the Windows table. GB18030 also reads A2 E3
//    as the euro sign; two byte strings cannot decode to one character, so
//    A2 E3 (which the Windows table leaves undefined) counts as undecodable.
//  - A two- or four-byte sequence is taken as a character only when encoding
//    that character gives the same bytes again.
//  - Every byte that does not decode becomes one private-use character,
//    U+F780 + byte (U+F800 to U+F87F, for bytes 0x80 to 0xFF; ASCII always
//    decodes). No two-byte GB18030 code lands in that range; a four-byte
//    sequence that does is itself treated as undecodable, byte by byte, so the
//    range stands for raw bytes only. Encoding turns those characters back
//    into their bytes. (Someone typing one of these private-use characters gets
//    the raw byte stored; they carry no meaning in any font.)
#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <optional>
#include <stdexcept>
#include <vector>

#include "base/utf8.h"

namespace korvane::platform {
namespace {

constexpr char32_t kEuro = 0x20AC;
constexpr unsigned char kEuroByte = 0x80;
constexpr char32_t kRawByteBase = 0xF780;
constexpr char32_t kRawFirst = kRawByteBase + 0x80;
constexpr char32_t kRawLast = kRawByteBase + 0xFF;

// One iconv descriptor, closed when the object goes.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert from ") + from);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; an invalid or incomplete sequence is skipped one
    // byte at a time and replaced by `replacement`.
    std::string Run(std::string_view in, std::string_view replacement) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.reserve(in.size() * 3 / 2 + 8);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buffer[4096];
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
            if (rc != static_cast<size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            out.append(replacement);  // EILSEQ or EINVAL: drop one byte and go on
            ++src;
            --srcLeft;
        }
        return out;
    }

    // Converts the whole input, or gives nothing when any part fails.
    std::optional<std::string> Exact(std::string_view in) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buffer[16];
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) return {};
        return std::string(buffer, dst - buffer);
    }

  private:
    iconv_t cd_;
};

Converter& ToGb18030() {
    thread_local Converter converter("GB18030", "UTF-8");
    return converter;
}

Converter& FromGb18030() {
    thread_local Converter converter("UTF-8", "GB18030");
    return converter;
}

// The code point of one complete, well-formed UTF-8 character, else nothing.
std::optional<char32_t> SingleCodePoint(std::string_view utf8) {
    if (utf8.empty()) return {};
    const auto lead = static_cast<unsigned char>(utf8[0]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (utf8.size() != length) return {};
    if (length == 1) return lead;
    char32_t c = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) c = (c << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    return c;
}

bool IsRawByteCharacter(char32_t c) {
    return c >= kRawFirst && c <= kRawLast;
}

bool InRange(unsigned char c, unsigned char low, unsigned char high) {
    return c >= low && c <= high;
}

// The length of the GB18030 multi-byte sequence at `at` judged by its byte
// ranges alone (2 or 4), or 0 when the lead byte starts none.
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

// The character of a multi-byte sequence when it decodes and encodes back to
// exactly these bytes and is not one the program reserves (the euro sign
// belongs to 0x80, the raw-byte range to undecodable bytes).
std::optional<std::string> DecodeExactly(std::string_view sequence) {
    const std::optional<std::string> utf8 = FromGb18030().Exact(sequence);
    if (!utf8) return {};
    const std::optional<char32_t> c = SingleCodePoint(*utf8);
    if (!c || *c == kEuro || IsRawByteCharacter(*c)) return {};
    if (ToGb18030().Exact(*utf8) != sequence) return {};
    return utf8;
}

constexpr char32_t kNone = 0xFFFFFFFF;

// The character of every two-byte code (lead 0x81 to 0xFE), worked out once:
// most text is two-byte characters, and two conversions for each would make
// long notes slow to open.
char32_t TwoByteCharacter(unsigned char lead, char trail) {
    static const std::vector<char32_t> table = [] {
        std::vector<char32_t> t(0x7E * 0x100, kNone);
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                const std::optional<std::string> utf8 = DecodeExactly(std::string_view(pair, 2));
                if (utf8) t[(lead - 0x81) * 0x100 + trail] = *SingleCodePoint(*utf8);
            }
        }
        return t;
    }();
    return table[(lead - 0x81) * 0x100 + static_cast<unsigned char>(trail)];
}

// The single code-page byte some characters stand for: the euro sign and the
// raw-byte characters. Looks at the three-byte UTF-8 form at `at`.
std::optional<char> SpecialByteAt(std::string_view utf8, size_t at) {
    if (utf8.size() - at < 3) return {};
    const std::optional<char32_t> c = SingleCodePoint(utf8.substr(at, 3));
    if (!c) return {};
    if (*c == kEuro) return static_cast<char>(kEuroByte);
    if (IsRawByteCharacter(*c)) return static_cast<char>(*c - kRawByteBase);
    return {};
}

bool ContinuationBytes(std::string_view utf8, size_t at) {
    return (static_cast<unsigned char>(utf8[at + 1]) & 0xC0) == 0x80 &&
           (static_cast<unsigned char>(utf8[at + 2]) & 0xC0) == 0x80;
}

}  // namespace

std::string ToCodePage(std::string_view utf8) {
    // Runs of ordinary text go through GB18030 whole; the characters with a
    // one-byte form of their own are written directly.
    std::string out;
    out.reserve(utf8.size());
    size_t done = 0;
    for (size_t at = 0; at < utf8.size(); ++at) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        if ((lead != 0xE2 && lead != 0xEF) || utf8.size() - at < 3 || !ContinuationBytes(utf8, at))
            continue;
        const std::optional<char> special = SpecialByteAt(utf8, at);
        if (!special) continue;
        out += ToGb18030().Run(utf8.substr(done, at - done), "?");
        out += *special;
        at += 2;
        done = at + 1;
    }
    out += ToGb18030().Run(utf8.substr(done), "?");
    return out;
}

std::string FromCodePage(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2 + 8);
    for (size_t at = 0; at < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[at]);
        if (c < 0x80) {
            // ASCII is the same in both: a run of it is copied whole (an
            // export's page is mostly markup and embedded pictures).
            size_t end = at + 1;
            while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
            out.append(bytes.substr(at, end - at));
            at = end;
            continue;
        }
        if (c == kEuroByte) {
            AppendUtf8(out, kEuro);
            ++at;
            continue;
        }
        const size_t length = SequenceLength(bytes, at);
        const char32_t pair = length == 2 ? TwoByteCharacter(c, bytes[at + 1]) : kNone;
        const std::optional<std::string> decoded =
            length == 4 ? DecodeExactly(bytes.substr(at, length)) : std::nullopt;
        if (pair != kNone) {
            AppendUtf8(out, pair);
            at += 2;
        } else if (decoded) {
            out += *decoded;
            at += length;
        } else {
            AppendUtf8(out, kRawByteBase + c);
            ++at;
        }
    }
    return out;
}

std::string NativePath(std::string_view codePagePath) {
    return FromCodePage(codePagePath);
}

bool NativePathHolds(std::string_view) {
    return true;
}

}  // namespace korvane::platform
