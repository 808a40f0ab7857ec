#include "render/sanitize.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "base/ansitext.h"

namespace korvane {
namespace {

// The tokenizer reads bytes, not characters. That is safe for GBK and GB18030:
// the second byte of a double-byte character is 0x40 to 0xFE and bytes two and
// four of a four-byte sequence are digits, so none of the bytes the markup is
// made of ('<', '>', '&', '"', '\'', '=', '/', blanks) is ever part of a
// character.

constexpr size_t kNone = std::string_view::npos;

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The blanks that separate a tag's name and attributes.
bool IsTagSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// `lower` is in lower case.
bool StartsWithNoCase(std::string_view text, std::string_view lower) {
    return text.size() >= lower.size() && LowerAscii(text.substr(0, lower.size())) == lower;
}

bool EqualsNoCase(std::string_view text, std::string_view lower) {
    return text.size() == lower.size() && StartsWithNoCase(text, lower);
}

// ---- Text ----

// Appends `text` to show as typed.
void AppendText(std::string& out, std::string_view text) {
    size_t done = 0;
    for (size_t at = text.find_first_of("<>&"); at != kNone;
         at = text.find_first_of("<>&", at + 1)) {
        out.append(text, done, at - done);
        if (text[at] == '<') {
            out += "&lt;";
        } else if (text[at] == '>') {
            out += "&gt;";
        } else {
            out += "&amp;";
        }
        done = at + 1;
    }
    out.append(text, done, kNone);
}

// ---- Tokenizer ----

enum class MarkupKind {
    kStartTag,
    kEndTag,
    kOther,  // comment, declaration, a '<' that starts nothing, unfinished markup
};

// One piece of markup read from a '<'. Of a tag's attributes only those a kept
// tag is rebuilt from are recorded: the first of each name, as the page would
// take it.
struct Markup {
    MarkupKind kind = MarkupKind::kOther;
    size_t end = 0;  // just past the markup
    std::string_view name;
    std::optional<std::string_view> cls;
    std::optional<std::string_view> href;
};

Markup Other(size_t end) {
    return Markup{MarkupKind::kOther, end, {}, {}, {}};
}

// Markup the text ends inside: it takes the rest of the text, as in the page,
// and so all of it shows as typed.
Markup Unfinished(size_t textSize) {
    return Other(textSize);
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

// A start or end tag whose name starts at `at`, read as the page reads it: the
// name runs to a blank, '/' or '>'; attributes follow, each a name with an
// optional value that may be quoted with either quote; '>' outside a quoted
// value ends the tag. '/' between attributes is ignored.
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
    return close == kNone ? Unfinished(text.size()) : Other(close + 1);
}

// A comment whose "<!--" ends just before `at`. It ends at "-->" or "--!>";
// the dashes of the opening count, so "<!-->" and "<!--->" are whole comments.
Markup ReadComment(std::string_view text, size_t at) {
    for (size_t dashes = text.find("--", at - 2); dashes != kNone;
         dashes = text.find("--", dashes + 1)) {
        const std::string_view after = text.substr(dashes + 2);
        if (after.starts_with(">")) return Other(dashes + 3);
        if (after.starts_with("!>")) return Other(dashes + 4);
    }
    return Unfinished(text.size());
}

// The markup starting with the '<' at `at`.
Markup ReadMarkup(std::string_view text, size_t at) {
    const std::string_view rest = text.substr(at + 1);
    if (rest.empty()) return Other(at + 1);
    if (IsAsciiAlpha(rest[0])) return ReadTag(text, at + 1, MarkupKind::kStartTag);
    if (rest.starts_with("!--")) return ReadComment(text, at + 4);
    if (rest[0] == '!' || rest[0] == '?') return ReadToGreater(text, at + 1);
    if (rest[0] != '/') return Other(at + 1);
    if (rest.size() < 2) return Unfinished(text.size());
    if (IsAsciiAlpha(rest[1])) return ReadTag(text, at + 2, MarkupKind::kEndTag);
    return ReadToGreater(text, at + 2);
}

// ---- Kept tags ----

constexpr std::array<std::string_view, 4> kSpanClasses = {"TBlank", "TBBl", "Tred", "TBred"};
constexpr std::array<std::string_view, 3> kLinkSchemes = {"http://", "https://", "mailto:"};

bool IsSpanClass(std::string_view cls) {
    return std::find(kSpanClasses.begin(), kSpanClasses.end(), cls) != kSpanClasses.end();
}

// The address a link is rebuilt with: the href without the blanks and control
// characters at its ends, when it is a web or mail address holding no control
// character. A scheme hidden behind character references is no such address.
std::optional<std::string_view> LinkAddress(std::string_view href) {
    const auto isEdge = [](char c) { return c == ' ' || IsControl(c); };
    while (!href.empty() && isEdge(href.front())) href.remove_prefix(1);
    while (!href.empty() && isEdge(href.back())) href.remove_suffix(1);
    if (std::any_of(href.begin(), href.end(), IsControl)) return std::nullopt;
    const bool known =
        std::any_of(kLinkSchemes.begin(), kLinkSchemes.end(),
                    [href](std::string_view scheme) { return StartsWithNoCase(href, scheme); });
    if (!known) return std::nullopt;
    return href;
}

// The address inside the href's double quotes. '&' stays as typed so query
// strings keep their bytes.
void AppendAddress(std::string& out, std::string_view address) {
    for (char c : address) {
        if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '"') {
            out += "&quot;";
        } else {
            out += c;
        }
    }
}

enum class Open { kSpan, kLink };

std::string_view EndTagOf(Open tag) {
    return tag == Open::kSpan ? "</span>" : "</a>";
}

// The sanitised text as it is written, with the kept tags still open,
// innermost last. Finding the tag an end tag closes takes constant time, so
// deep nesting costs nothing extra.
class Writer {
  public:
    explicit Writer(size_t inputSize) { out_.reserve(inputSize + inputSize / 8 + 16); }

    void Text(std::string_view text) { AppendText(out_, text); }

    // Writes a kept start tag; false when the tag is not kept.
    bool Start(const Markup& tag) {
        if (EqualsNoCase(tag.name, "br")) {
            out_ += "<br/>";
            return true;
        }
        if (EqualsNoCase(tag.name, "span")) return StartSpan(tag);
        if (EqualsNoCase(tag.name, "a")) return StartLink(tag);
        return false;
    }

    // Closes the innermost open tag of the end tag's name and every tag opened
    // inside it; false when none of that name is open.
    bool End(const Markup& tag) {
        std::optional<size_t> depth;
        if (EqualsNoCase(tag.name, "span")) depth = InnermostSpan();
        if (EqualsNoCase(tag.name, "a")) depth = link_;
        if (!depth) return false;
        CloseDownTo(*depth);
        return true;
    }

    std::string Finish() && {
        CloseDownTo(0);
        return std::move(out_);
    }

  private:
    bool StartSpan(const Markup& tag) {
        if (!tag.cls || !IsSpanClass(*tag.cls)) return false;
        out_ += "<span class=\"";
        out_ += *tag.cls;
        out_ += "\">";
        open_.push_back(Open::kSpan);
        return true;
    }

    bool StartLink(const Markup& tag) {
        const std::optional<std::string_view> address =
            tag.href ? LinkAddress(*tag.href) : std::nullopt;
        if (!address) return false;
        if (link_) CloseDownTo(*link_);
        out_ += "<a href=\"";
        AppendAddress(out_, *address);
        out_ += "\" target=\"_blank\">";
        link_ = open_.size();
        open_.push_back(Open::kLink);
        return true;
    }

    // Links never nest, so the innermost span is the top tag or just under it.
    std::optional<size_t> InnermostSpan() const {
        const size_t size = open_.size();
        if (size >= 1 && open_[size - 1] == Open::kSpan) return size - 1;
        if (size >= 2 && open_[size - 2] == Open::kSpan) return size - 2;
        return std::nullopt;
    }

    // Closes the open tags from the innermost down to the one at `depth`.
    void CloseDownTo(size_t depth) {
        while (open_.size() > depth) {
            out_ += EndTagOf(open_.back());
            open_.pop_back();
        }
        if (link_ && *link_ >= depth) link_.reset();
    }

    std::string out_;
    std::vector<Open> open_;
    std::optional<size_t> link_;  // the depth of the open link
};

}  // namespace

// Every piece of markup is read once and the text continues after it, so the
// work is linear; markup the text ends inside ends the text.
std::string SanitizeMarkup(std::string_view text) {
    Writer writer(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const size_t lt = text.find('<', at);
        writer.Text(text.substr(at, lt == kNone ? kNone : lt - at));
        if (lt == kNone) break;
        const Markup markup = ReadMarkup(text, lt);
        const std::string_view bytes = text.substr(lt, markup.end - lt);
        const bool kept = (markup.kind == MarkupKind::kStartTag && writer.Start(markup)) ||
                          (markup.kind == MarkupKind::kEndTag && writer.End(markup));
        if (!kept) writer.Text(bytes);
        at = markup.end;
    }
    return std::move(writer).Finish();
}

}  // namespace korvane
