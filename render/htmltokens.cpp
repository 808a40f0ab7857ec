#include "render/htmltokens.h"

#include "base/ansitext.h"

namespace korvane {
namespace {

constexpr size_t kNone = std::string_view::npos;

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The blanks that separate a tag's name and attributes.
bool IsTagSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

Markup Piece(MarkupKind kind, size_t end) {
    return Markup{kind, end, {}, {}, {}};
}

// Markup the text ends inside: it takes the rest of the text, as in the page,
// and so all of it shows as typed.
Markup Unfinished(size_t textSize) {
    return Piece(MarkupKind::kText, textSize);
}

size_t SkipTagSpace(std::string_view text, size_t at) {
    while (at < text.size() && IsTagSpace(text[at])) ++at;
    return at;
}

// The end of a name or unquoted value starting at `at`: the first byte for
// which `stop` holds, or the end of the text.
template <typename Stop>
size_t ScanUntil(std::string_view text, size_t at, Stop stop) {
    while (at < text.size() && !stop(text[at])) ++at;
    return at;
}

void RecordAttribute(Markup& tag, std::string_view name, std::string_view value) {
    if (EqualsNoCase(name, "class") && !tag.cls) tag.cls = value;
    if (EqualsNoCase(name, "href") && !tag.href) tag.href = value;
}

// The value of an attribute whose '=' is just before `at`; `at` moves past it.
// Nothing when the text ends inside it.
std::optional<std::string_view> ReadValue(std::string_view text, size_t& at) {
    at = SkipTagSpace(text, at);
    if (at >= text.size()) return std::nullopt;
    const char quote = text[at];
    if (quote == '"' || quote == '\'') {
        const size_t close = text.find(quote, at + 1);
        if (close == kNone) return std::nullopt;
        const std::string_view value = text.substr(at + 1, close - at - 1);
        at = close + 1;
        return value;
    }
    const size_t begin = at;
    at = ScanUntil(text, at, [](char c) { return IsTagSpace(c) || c == '>'; });
    return text.substr(begin, at - begin);
}

// A start or end tag whose name starts at `at`. '/' between attributes is
// ignored.
Markup ReadTag(std::string_view text, size_t at, MarkupKind kind) {
    Markup tag;
    tag.kind = kind;
    const auto endsName = [](char c) { return IsTagSpace(c) || c == '/' || c == '>'; };
    size_t p = ScanUntil(text, at, endsName);
    tag.name = text.substr(at, p - at);
    for (;;) {
        p = ScanUntil(text, p, [](char c) { return !IsTagSpace(c) && c != '/'; });
        if (p >= text.size()) return Unfinished(text.size());
        if (text[p] == '>') break;
        // An attribute name may begin with '='; after that '=' ends it.
        const size_t nameBegin = p;
        p = ScanUntil(text, p + 1, [&](char c) { return endsName(c) || c == '='; });
        const std::string_view name = text.substr(nameBegin, p - nameBegin);
        p = SkipTagSpace(text, p);
        std::string_view value;
        if (p < text.size() && text[p] == '=') {
            const std::optional<std::string_view> read = ReadValue(text, ++p);
            if (!read) return Unfinished(text.size());
            value = *read;
        }
        RecordAttribute(tag, name, value);
    }
    tag.end = p + 1;
    return tag;
}

// A comment or declaration that runs to the first '>' from `at`.
Markup ReadToGreater(std::string_view text, size_t at) {
    const size_t close = text.find('>', at);
    return close == kNone ? Unfinished(text.size()) : Piece(MarkupKind::kHidden, close + 1);
}

// A comment whose "<!--" ends just before `at`. It ends at "-->" or "--!>";
// the dashes of the opening count, so "<!-->" and "<!--->" are whole comments.
Markup ReadComment(std::string_view text, size_t at) {
    for (size_t dashes = text.find("--", at - 2); dashes != kNone;
         dashes = text.find("--", dashes + 1)) {
        const std::string_view after = text.substr(dashes + 2);
        if (after.starts_with(">")) return Piece(MarkupKind::kHidden, dashes + 3);
        if (after.starts_with("!>")) return Piece(MarkupKind::kHidden, dashes + 4);
    }
    return Unfinished(text.size());
}

}  // namespace

bool StartsWithNoCase(std::string_view text, std::string_view lower) {
    return text.size() >= lower.size() && LowerAscii(text.substr(0, lower.size())) == lower;
}

bool EqualsNoCase(std::string_view text, std::string_view lower) {
    return text.size() == lower.size() && StartsWithNoCase(text, lower);
}

Markup ReadMarkup(std::string_view text, size_t at) {
    const std::string_view rest = text.substr(at + 1);
    if (rest.empty()) return Piece(MarkupKind::kText, at + 1);
    if (IsAsciiAlpha(rest[0])) return ReadTag(text, at + 1, MarkupKind::kStartTag);
    if (rest.starts_with("!--")) return ReadComment(text, at + 4);
    if (rest[0] == '!' || rest[0] == '?') return ReadToGreater(text, at + 1);
    if (rest[0] != '/') return Piece(MarkupKind::kText, at + 1);
    if (rest.size() < 2) return Unfinished(text.size());
    if (IsAsciiAlpha(rest[1])) return ReadTag(text, at + 2, MarkupKind::kEndTag);
    return ReadToGreater(text, at + 2);
}

}  // namespace korvane
