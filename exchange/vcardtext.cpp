#include "exchange/vcardtext.h"

#include <cstdint>

#include "platform/codepage.h"

namespace korvane {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendHexByte(std::string& out, unsigned char byte) {
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

// The length of the unit that starts at `at`: an escape, a UTF-8 character
// (as far as its continuation bytes go), or one byte.
size_t UnitLength(std::string_view line, size_t at) {
    if (line[at] == '\\' && at + 1 < line.size()) {
        if (line[at + 1] == 'x' && at + 3 < line.size()) return 4;
        return 2;
    }
    size_t end = at + 1;
    while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80 &&
           end - at < 4)
        ++end;
    return end - at;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> CharsetToUtf8(std::string_view bytes, std::string_view charset) {
    const std::string name = Upper(charset);
    if (name == "UTF-8" || name == "UTF8" || name == "US-ASCII" || name == "ASCII")
        return std::string(bytes);
    if (name == "GBK" || name == "GB2312" || name == "GB18030" || name == "CP936" ||
        name == "X-GBK" || name == "EUC-CN" || name == "WINDOWS-936")
        return platform::FromCodePage(bytes);
    if (name == "ISO-8859-1" || name == "LATIN1" || name == "LATIN-1" || name == "WINDOWS-1252" ||
        name == "CP1252" || name == "ISO8859-1")
        return Latin1ToUtf8(bytes);
    return std::nullopt;
}

std::string EscapeVCardText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 8);
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == '\\' || c == ',' || c == ';') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') {
            out += "\\n";
            ++i;
        } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
            out += "\\x";
            AppendHexByte(out, c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string UnescapeVCardText(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char next = value[i + 1];
        if (next == 'n' || next == 'N') {
            out += "\r\n";
        } else if (next == '\\' || next == ',' || next == ';' || next == ':') {
            out += next;
        } else if (next == 'x' && i + 3 < value.size() && HexValue(value[i + 2]) >= 0 &&
                   HexValue(value[i + 3]) >= 0 && HexValue(value[i + 2]) < 2) {
            out += static_cast<char>(HexValue(value[i + 2]) * 16 + HexValue(value[i + 3]));
            i += 2;
        } else if (next == 'x' && i + 3 < value.size() && value.substr(i + 2, 2) == "7F") {
            out += '\x7F';
            i += 2;
        } else {
            out += '\\';
            out += next;
        }
        ++i;
    }
    return out;
}

std::vector<std::string> SplitVCardValue(std::string_view value, char separator) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            parts.back() += value.substr(i, 2);
            ++i;
        } else if (value[i] == separator) {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    return parts;
}

std::string FoldVCardLine(std::string_view line) {
    constexpr size_t kOctets = 75;
    std::string out;
    out.reserve(line.size() + line.size() / 70 * 3 + 2);
    size_t used = 0;
    for (size_t at = 0; at < line.size();) {
        const size_t unit = UnitLength(line, at);
        if (used + unit > kOctets) {
            out += "\r\n ";
            used = 1;
        }
        out.append(line.substr(at, unit));
        used += unit;
        at += unit;
    }
    out += "\r\n";
    return out;
}

std::string DecodeQuotedPrintable(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size() && HexValue(value[i + 1]) >= 0 &&
            HexValue(value[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::optional<std::string> DecodeBase64(std::string_view value) {
    std::string out;
    out.reserve(value.size() * 3 / 4);
    uint32_t bits = 0;
    int count = 0;
    for (const char c : value) {
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=' || c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        else
            return std::nullopt;
        bits = (bits << 6) | static_cast<uint32_t>(v);
        if (++count == 4) {
            out += static_cast<char>(bits >> 16);
            out += static_cast<char>(bits >> 8);
            out += static_cast<char>(bits);
            bits = 0;
            count = 0;
        }
    }
    if (count == 2) out += static_cast<char>(bits >> 4);
    if (count == 3) {
        out += static_cast<char>(bits >> 10);
        out += static_cast<char>(bits >> 2);
    }
    return out;
}

std::string PercentEncode(std::string_view utf8) {
    std::string out;
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           c == '@';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            AppendHexByte(out, c);
        }
    }
    return out;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace korvane
