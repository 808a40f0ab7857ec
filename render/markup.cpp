#include "render/markup.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ansitext.h"
#include "render/htmltokens.h"

namespace korvane {
namespace {

// ---- Emoticons ----

constexpr std::string_view kEmOpen = "{EM";
constexpr std::string_view kEmClose = "EM}";
constexpr int kEmoticonCount = 30;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The emoticon number of a tag starting at `at`, or -1 when no convertible tag
// starts there. `length` receives the tag's length.
int EmoticonAt(std::string_view text, size_t at, size_t& length) {
    if (text.substr(at, kEmOpen.size()) != kEmOpen) return -1;
    size_t end = at + kEmOpen.size();
    while (end < text.size() && IsDigit(text[end]) && end - at - kEmOpen.size() < 3) ++end;
    const std::string_view digits = text.substr(at + kEmOpen.size(), end - at - kEmOpen.size());
    if (digits.empty() || digits.size() > 2) return -1;
    if (digits.size() == 2 && digits[0] == '0') return -1;  // leading zero
    if (text.substr(end, kEmClose.size()) != kEmClose) return -1;
    int n = 0;
    for (char c : digits) n = n * 10 + (c - '0');
    if (n >= kEmoticonCount) return -1;
    length = end + kEmClose.size() - at;
    return n;
}

// ---- Messenger tags ----

// After this many passes over one content no further messenger tag is
// converted; malformed tags (a closing before or inside its opening) would
// otherwise be looked at again and again.
constexpr int kMaxPasses = 12;

struct MessengerService {
    const char* name;        // the two tag letters, also the picture's name
    const char* linkBefore;  // the link up to the id
    const char* linkAfter;   // the link after the id
};

constexpr MessengerService kServices[] = {
    {"QQ", "http://wpa.qq.com/msgrd?v=3&uin=", "&site=korvane&menu=yes"},
    {"MS", "msnim:add?contact=", ""},
    {"SP", "callto://", ""},
    {"AL", "http://amos.im.alisoft.com/msg.aw?v=2&uid=", "&site=cntaobao&s=1&charset=utf-8"},
};

// An id copied into the link's address: it can end neither the attribute
// nor the tag, and carries no control character (the line conversion after
// would turn a carriage return into markup).
void AppendAttributeText(std::string& out, std::string_view id) {
    for (char c : id) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"') {
            out += "&quot;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "&#" + std::to_string(byte) + ";";
        } else {
            out += c;
        }
    }
}

// An id copied as the link's text: it can open no tag.
void AppendLinkText(std::string& out, std::string_view id) {
    for (char c : id) {
        if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else {
            out += c;
        }
    }
}

// The picture of the service followed by a chat link whose text is the id.
std::string MessengerLink(const MessengerService& service, std::string_view id) {
    std::string out = "<img src=\"image/";
    out += service.name;
    out += ".gif\"><a target=\"_blank\" href=\"";
    out += service.linkBefore;
    AppendAttributeText(out, id);
    out += service.linkAfter;
    out += "\">";
    AppendLinkText(out, id);
    out += "</a>";
    return out;
}

// Puts a hyphen between the two tag letters of the opening at `at` so it is
// never taken for a tag again.
void Hyphenate(std::string& text, size_t at) {
    text.insert(at + 2, 1, '-');
}

// Hyphenates the opening at `at` and trims the content at both ends.
std::string Neutralise(std::string text, size_t at) {
    Hyphenate(text, at);
    return Trim(text);
}

// The stretches of `html` that are text: outside every tag, and with
// `outsideLinks` also outside every link. Tags are read as the page reads
// them, so a '>' in a quoted attribute value does not end a stretch.
using Stretches = std::vector<std::pair<size_t, size_t>>;

Stretches TextStretches(std::string_view html, bool outsideLinks) {
    Stretches stretches;
    int links = 0;
    ForEachPiece(
        html,
        [&](size_t begin, size_t end) {
            if (links == 0) stretches.emplace_back(begin, end);
        },
        [&](size_t, const Markup& markup) {
            if (!outsideLinks || !EqualsNoCase(markup.name, "a")) return;
            if (markup.kind == MarkupKind::kStartTag) ++links;
            if (markup.kind == MarkupKind::kEndTag && links > 0) --links;
        });
    return stretches;
}

// The first occurrence of `what` lying wholly in one stretch, or npos.
size_t FindIn(std::string_view html, const Stretches& stretches, std::string_view what) {
    for (const auto& [begin, end] : stretches) {
        const size_t at = html.substr(begin, end - begin).find(what);
        if (at != std::string_view::npos) return begin + at;
    }
    return std::string_view::npos;
}

// How many occurrences of `what` lie wholly in one stretch, counted left to
// right without overlaps.
size_t CountIn(std::string_view html, const Stretches& stretches, std::string_view what) {
    size_t count = 0;
    for (const auto& [begin, end] : stretches) {
        const std::string_view stretch = html.substr(begin, end - begin);
        for (size_t at = stretch.find(what); at != std::string_view::npos;
             at = stretch.find(what, at + what.size())) {
            ++count;
        }
    }
    return count;
}

// `html` with those occurrences replaced by `with`.
std::string ReplaceIn(std::string_view html, const Stretches& stretches, std::string_view what,
                      std::string_view with) {
    std::string out;
    out.reserve(html.size());
    size_t done = 0;
    for (const auto& [begin, end] : stretches) {
        const std::string_view stretch = html.substr(begin, end - begin);
        for (size_t at = stretch.find(what); at != std::string_view::npos;
             at = stretch.find(what, at + what.size())) {
            out.append(html, done, begin + at - done);
            out += with;
            done = begin + at + what.size();
        }
    }
    out.append(html, done, std::string_view::npos);
    return out;
}

}  // namespace

std::string BreakLines(const std::string& text) {
    return ReplaceAll(text, "\r", "<br/>");
}

// One left-to-right scan of each text stretch gives the same text as
// replacing the tags for 0, 1, ... 29 in turn: two tags can never overlap
// (each begins with '{' and holds no other), and a picture holds no brace, so
// no replacement creates a new tag. Only text outside tags is looked at: a tag
// inside a link's address stays as typed, so no picture can end the address.
std::string ExpandEmoticons(const std::string& text) {
    if (text.find(kEmOpen) == std::string::npos) return text;  // most notes hold none
    const std::string_view in(text);
    std::string out;
    out.reserve(text.size());
    size_t done = 0;
    for (const auto& [begin, end] : TextStretches(in, false)) {
        const std::string_view stretch = in.substr(0, end);
        for (size_t at = stretch.find(kEmOpen, begin); at != std::string_view::npos;
             at = stretch.find(kEmOpen, at)) {
            size_t length = 0;
            const int n = EmoticonAt(stretch, at, length);
            if (n < 0) {
                ++at;
                continue;
            }
            out.append(in, done, at - done);
            out += "<img src=\"icons/";
            out += std::to_string(n);
            out += ".gif\"/>";
            at += length;
            done = at;
        }
    }
    out.append(in, done, std::string_view::npos);
    return out;
}

namespace {

// The most one content may grow by. A tag of ordinary text becomes at most
// about 21 times its length (the longest link around an empty id, "{ALAL}"),
// so 24 times the input never limits a remark made of tags alone; and no
// remark of people's ids grows by more than 256 KB (over two thousand links).
// Ids that hold further tag openings, or a megabyte of tags, would otherwise
// give the page megabytes of links to lay out for one record.
size_t GrowthBound(size_t inputSize) {
    return std::min<size_t>(24 * inputSize, 256 * 1024);
}

// The id between an opening at `p` and the first closing at `c`: empty when
// the closing does not follow the opening's letters.
std::string_view IdBetween(std::string_view text, size_t p, size_t c) {
    return c > p + 3 ? text.substr(p + 3, c - p - 3) : std::string_view();
}

}  // namespace

// Each pass takes the first opening and the first closing of the content; the
// text between them is the id, and every tag with that id is converted at
// once. One pass counter serves all four services. Only text outside tags and
// outside links is searched and converted, so a link's address or text never
// gains markup, and links never nest; an id that would take in markup (a
// formatting tag between opening and closing) makes no tag, and its opening
// gets a hyphen. A pass whose result would pass the growth bound is not made,
// and no later one: the tags left stay as typed.
std::string ExpandMessengerTags(const std::string& text) {
    const size_t bound = text.size() + GrowthBound(text.size());
    std::string out = text;
    int passes = 0;
    for (const MessengerService& service : kServices) {
        const std::string opening = std::string("{") + service.name;
        const std::string closing = std::string(service.name) + "}";
        for (;;) {
            if (out.find(opening) == std::string::npos) break;  // none at all: no reading
            Stretches stretches = TextStretches(out, true);
            const size_t p = FindIn(out, stretches, opening);
            if (p == std::string::npos || ++passes > kMaxPasses) break;
            const size_t c = FindIn(out, stretches, closing);
            std::string id;
            if (c == std::string::npos || c == 0) {
                out = Neutralise(std::move(out), p);
                stretches = TextStretches(out, true);
            } else {
                id = IdBetween(out, p, c);
            }
            if (id.find('<') != std::string::npos) {
                Hyphenate(out, p);
                continue;
            }
            const std::string tag = opening + id + closing;
            const std::string link = MessengerLink(service, id);
            const size_t count = CountIn(out, stretches, tag);
            if (out.size() - count * tag.size() + count * link.size() > bound) return out;
            out = ReplaceIn(out, stretches, tag, link);
        }
    }
    return out;
}

}  // namespace korvane
