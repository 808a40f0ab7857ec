#include "render/findtext.h"

#include <cstdint>
#include <vector>

#include "base/utf8.h"
#include "render/htmltokens.h"

namespace korvane {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One UTF-8 character at the start of `text`: its code point and length. An
// invalid sequence (overlong, a surrogate, beyond U+10FFFF, cut short) is
// U+FFFD for its first byte alone.
char32_t DecodeOne(std::string_view text, size_t& length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    length = 1;
    if (lead < 0x80) return lead;
    size_t need = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3, c = lead & 0x07, least = 0x10000;
    } else {
        return kReplacement;
    }
    if (text.size() <= need) return kReplacement;
    for (size_t i = 1; i <= need; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return kReplacement;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
    length = need + 1;
    return c;
}

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The character a reference "&...;" at the start of `text` stands for, with
// its length; nothing (0) when no reference starts there.
char32_t ReferenceAt(std::string_view text, size_t& length) {
    constexpr size_t kLongest = 12;
    const size_t end = text.substr(0, kLongest + 1).find(';');
    if (end == std::string_view::npos || end < 2 || end > kLongest) return 0;
    const std::string_view name = text.substr(1, end - 1);
    length = end + 1;
    if (name[0] == '#') {
        const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty()) return 0;
        char32_t value = 0;
        for (char d : digits) {
            int v = -1;
            if (d >= '0' && d <= '9') v = d - '0';
            if (hex && d >= 'a' && d <= 'f') v = d - 'a' + 10;
            if (hex && d >= 'A' && d <= 'F') v = d - 'A' + 10;
            if (v < 0) return 0;
            value = value * (hex ? 16 : 10) + static_cast<char32_t>(v);
            if (value > 0x10FFFF) return 0;
        }
        return value == 0 || (value >= 0xD800 && value <= 0xDFFF) ? kReplacement : value;
    }
    for (char c : name) {
        if (!IsAsciiAlnum(c)) return 0;
    }
    if (name == "amp") return '&';
    if (name == "lt") return '<';
    if (name == "gt") return '>';
    if (name == "quot") return '"';
    if (name == "apos") return '\'';
    if (name == "nbsp") return 0xA0;
    return 0;
}

// Calls `shown(begin, end, c)` for every character a reader sees in the
// markup, in order: [begin, end) are its bytes, `c` the folded character.
// Tags, comments and declarations show nothing; a '>' inside a quoted
// attribute value is part of its tag.
template <class Visit>
void EachShown(std::string_view markup, Visit shown) {
    const auto text = [&](size_t begin, size_t end) {
        const std::string_view run = markup.substr(0, end);
        for (size_t at = begin; at < end;) {
            size_t length = 1;
            char32_t character = 0;
            if (run[at] == '&') character = ReferenceAt(run.substr(at), length);
            if (character == 0) character = DecodeOne(run.substr(at), length);
            shown(at, at + length, FoldCharacter(character));
            at += length;
        }
    };
    ForEachPiece(markup, text, [](size_t, const Markup&) {});
}

std::u32string Decode(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        size_t length = 1;
        out.push_back(DecodeOne(utf8.substr(at), length));
        at += length;
    }
    return out;
}

constexpr std::string_view kMarkOpen = "<mark class=\"hit\">";
constexpr std::string_view kMarkClose = "</mark>";

bool IsDigit(char32_t c) {
    return c >= '0' && c <= '9';
}

bool IsNumberSeparator(char32_t c) {
    return c == ' ' || c == '-' || c == '.' || c == '(' || c == ')' || c == '/';
}

// The end of the run of separators at `at` when a digit stands before it and
// after it, else `at`.
template <typename Text>
size_t SeparatorsBetweenDigits(const Text& text, size_t at) {
    if (at == 0 || !IsDigit(static_cast<char32_t>(text[at - 1]))) return at;
    size_t end = at;
    while (end < text.size() && IsNumberSeparator(static_cast<char32_t>(text[end]))) ++end;
    return end > at && end < text.size() && IsDigit(static_cast<char32_t>(text[end])) ? end : at;
}

// The characters of a telephone query's matches: the digits found in the
// shown text read without its separators between digits, and those
// separators inside a match.
std::vector<bool> MatchedDigits(const std::u32string& shown, const std::u32string& digits,
                                size_t maxMarks, size_t& count) {
    std::vector<bool> matched(shown.size(), false);
    std::u32string squeezed;
    std::vector<size_t> from;  // the shown place of each squeezed character
    for (size_t at = 0; at < shown.size(); ++at) {
        const size_t end = SeparatorsBetweenDigits(shown, at);
        if (end > at) at = end;
        squeezed.push_back(shown[at]);
        from.push_back(at);
    }
    count = 0;
    for (size_t at = squeezed.find(digits); at != std::u32string::npos;
         at = squeezed.find(digits, at + digits.size())) {
        if (count++ >= maxMarks) continue;
        for (size_t i = from[at]; i <= from[at + digits.size() - 1]; ++i) matched[i] = true;
    }
    return matched;
}

// Which shown characters lie inside one of the first `maxMarks` matches,
// found left to right without overlaps; `count` receives all matches.
std::vector<bool> MatchedCharacters(const std::u32string& shown, const std::u32string& query,
                                    size_t maxMarks, size_t& count) {
    std::vector<bool> matched(shown.size(), false);
    count = 0;
    if (query.empty()) return matched;
    std::string utf8;
    for (char32_t c : query) AppendUtf8(utf8, c);
    if (const std::string digits = TelephoneDigits(utf8); !digits.empty()) {
        return MatchedDigits(shown, Decode(digits), maxMarks, count);
    }
    for (size_t at = shown.find(query); at != std::u32string::npos;
         at = shown.find(query, at + query.size())) {
        if (count++ >= maxMarks) continue;
        for (size_t i = at; i < at + query.size(); ++i) matched[i] = true;
    }
    return matched;
}

}  // namespace

char32_t FoldCharacter(char32_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;
    if (c >= 'A' && c <= 'Z') return c + ('a' - 'A');
    if (c == 0x3000) return ' ';
    return c;
}

std::string TelephoneDigits(std::string_view foldedQuery) {
    std::string digits;
    for (const char c : foldedQuery) {
        if (IsDigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if (!IsNumberSeparator(static_cast<unsigned char>(c))) {
            return std::string();
        }
    }
    return digits.size() >= kTelephoneDigits ? digits : std::string();
}

std::string SqueezeDigitRuns(std::string_view folded) {
    // Byte by byte: in UTF-8 no byte of a longer character is an ASCII one.
    std::string out;
    bool changed = false;
    for (size_t at = 0; at < folded.size(); ++at) {
        const size_t end = IsNumberSeparator(static_cast<unsigned char>(folded[at]))
                               ? SeparatorsBetweenDigits(folded, at)
                               : at;
        if (end > at) {
            if (!changed) out.assign(folded.substr(0, at));
            changed = true;
            at = end - 1;
            continue;
        }
        if (changed) out += folded[at];
    }
    return out;
}

std::string FoldQuery(std::string_view utf8) {
    std::u32string folded;
    for (char32_t c : Decode(utf8)) {
        if (c < 0x20 || c == 0x7F) continue;
        folded.push_back(FoldCharacter(c));
    }
    const size_t first = folded.find_first_not_of(U' ');
    if (first == std::u32string::npos) return std::string();
    const size_t last = folded.find_last_not_of(U' ');
    std::string out;
    out.reserve(folded.size() * 3);
    for (size_t i = first; i <= last; ++i) AppendUtf8(out, folded[i]);
    return out;
}

void AppendShownText(std::string& out, std::string_view markup) {
    EachShown(markup, [&](size_t, size_t, char32_t c) { AppendUtf8(out, c); });
}

MarkedMarkup MarkMatches(std::string_view markup, std::string_view foldedQuery, size_t maxMarks) {
    struct Shown {
        size_t begin, end;
    };
    std::vector<Shown> spans;
    std::u32string text;
    EachShown(markup, [&](size_t begin, size_t end, char32_t c) {
        spans.push_back({begin, end});
        text.push_back(c);
    });
    MarkedMarkup result;
    const std::vector<bool> matched =
        MatchedCharacters(text, Decode(foldedQuery), maxMarks, result.matches);
    std::string& out = result.markup;
    out.reserve(markup.size() + 64);
    size_t done = 0;
    bool open = false;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (spans[i].begin > done && open) {  // a tag lies between: close before it
            out += kMarkClose;
            open = false;
        }
        out.append(markup, done, spans[i].begin - done);
        if (matched[i] != open) {
            out += open ? kMarkClose : kMarkOpen;
            open = !open;
        }
        out.append(markup, spans[i].begin, spans[i].end - spans[i].begin);
        done = spans[i].end;
    }
    if (open) out += kMarkClose;
    out.append(markup, done, std::string_view::npos);
    return result;
}

std::string HighlightMarkup(std::string_view markup, std::string_view foldedQuery) {
    return MarkMatches(markup, foldedQuery, SIZE_MAX).markup;
}

}  // namespace korvane
