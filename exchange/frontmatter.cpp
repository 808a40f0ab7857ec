#include "exchange/frontmatter.h"

#include <algorithm>
#include <cstdint>

#include "base/utf8.h"

namespace korvane {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A double-quoted scalar's content, escapes resolved.
std::string Unquote(std::string_view body) {
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\' || i + 1 == body.size()) {
            out += body[i];
            continue;
        }
        const char e = body[++i];
        int digits = 0;
        switch (e) {
            case '0':
                out += '\0';
                break;
            case 'a':
                out += '\a';
                break;
            case 'b':
                out += '\b';
                break;
            case 't':
            case '\t':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'v':
                out += '\v';
                break;
            case 'f':
                out += '\f';
                break;
            case 'r':
                out += '\r';
                break;
            case 'e':
                out += '\x1B';
                break;
            case 'N':
                AppendUtf8(out, 0x85);
                break;
            case '_':
                AppendUtf8(out, 0xA0);
                break;
            case 'L':
                AppendUtf8(out, 0x2028);
                break;
            case 'P':
                AppendUtf8(out, 0x2029);
                break;
            case 'x':
                digits = 2;
                break;
            case 'u':
                digits = 4;
                break;
            case 'U':
                digits = 8;
                break;
            default:
                out += e;
                break;  // \" \\ \/ and a blank
        }
        if (digits == 0) continue;
        char32_t c = 0;
        int taken = 0;
        while (taken < digits && i + 1 < body.size() && HexValue(body[i + 1]) >= 0) {
            c = c * 16 + static_cast<char32_t>(HexValue(body[++i]));
            ++taken;
        }
        if (taken == digits && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF))
            AppendUtf8(out, c);
        else
            out += '?';
    }
    return out;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string ScalarValue(std::string_view raw) {
    raw = TrimBlanks(raw);
    if (raw.size() >= 2 && raw.front() == '"') {
        // The closing quote is the last unescaped one.
        size_t end = std::string_view::npos;
        for (size_t i = 1; i < raw.size(); ++i) {
            if (raw[i] == '\\')
                ++i;
            else if (raw[i] == '"') {
                end = i;
                break;
            }
        }
        if (end != std::string_view::npos) return Unquote(raw.substr(1, end - 1));
    }
    if (raw.size() >= 2 && raw.front() == '\'') {
        std::string out;
        for (size_t i = 1; i < raw.size(); ++i) {
            if (raw[i] != '\'')
                out += raw[i];
            else if (i + 1 < raw.size() && raw[i + 1] == '\'')
                out += raw[++i];
            else
                return out;
        }
    }
    if (const size_t comment = raw.find(" #"); comment != std::string_view::npos)
        raw = TrimBlanks(raw.substr(0, comment));
    return std::string(raw);
}

bool IsFence(std::string_view line, bool closing) {
    line = TrimBlanks(line);
    return line == "---" || (closing && line == "...");
}

}  // namespace

std::string YamlQuoted(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const std::string_view rest = utf8.substr(i);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else if (rest.substr(0, 2) == "\xC2\x85" || rest.substr(0, 3) == "\xE2\x80\xA8" ||
                   rest.substr(0, 3) == "\xE2\x80\xA9" || rest.substr(0, 3) == "\xEF\xBB\xBF") {
            // Characters a YAML reader takes as line breaks or a byte-order mark.
            out += c == 0xC2           ? "\\N"
                   : rest[2] == '\xA8' ? "\\L"
                   : rest[2] == '\xA9' ? "\\P"
                                       : "\\uFEFF";
            i += c == 0xC2 ? 1 : 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

const std::string* FrontMatter::Find(std::string_view key) const {
    for (const auto& [name, value] : fields)
        if (name == key) return &value;
    return nullptr;
}

FrontMatter ReadFrontMatter(std::string_view text, size_t maxFields) {
    FrontMatter matter;
    size_t at = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos || !IsFence(text.substr(at, end - at), false)) return matter;
    std::vector<std::pair<std::string, std::string>> fields;
    for (at = end + 1; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        if (IsFence(line, true)) {
            matter.present = true;
            matter.fields = std::move(fields);
            matter.bodyStart = std::min(end + 1, text.size());
            return matter;
        }
        if (line.empty() || line[0] == ' ' || line[0] == '\t' || line[0] == '#') continue;
        const size_t colon = line.find(": ");
        const bool bare =
            colon == std::string_view::npos && !line.empty() && TrimBlanks(line).back() == ':';
        if ((colon == std::string_view::npos && !bare) || fields.size() >= maxFields) continue;
        const size_t keyEnd = bare ? TrimBlanks(line).size() - 1 : colon;
        fields.emplace_back(std::string(TrimBlanks(line.substr(0, keyEnd))),
                            bare ? std::string() : ScalarValue(line.substr(colon + 2)));
    }
    return matter;
}

}  // namespace korvane
