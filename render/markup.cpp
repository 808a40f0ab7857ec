#include "render/markup.h"

#include <string_view>

#include "base/ansitext.h"

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

// The picture of the service followed by a chat link whose text is the id.
// The id's copy inside the href has its double quotes escaped, so an id can
// never end the attribute and add attributes of its own.
std::string MessengerLink(const MessengerService& service, std::string_view id) {
    std::string out = "<img src=\"image/";
    out += service.name;
    out += ".gif\"><a target=\"_blank\" href=\"";
    out += service.linkBefore;
    out += ReplaceAll(id, "\"", "&quot;");
    out += service.linkAfter;
    out += "\">";
    out += id;
    out += "</a>";
    return out;
}

// Puts a hyphen between the two tag letters of the opening at `at` so it is
// never taken for a tag again, and trims the content at both ends.
std::string Neutralise(std::string text, size_t at) {
    text.insert(at + 2, 1, '-');
    return Trim(text);
}

}  // namespace

std::string BreakLines(const std::string& text) {
    return ReplaceAll(text, "\r", "<br/>");
}

// One left-to-right scan gives the same text as replacing the tags for 0, 1, ...
// 29 in turn: two tags can never overlap (each begins with '{' and holds no
// other), and a picture holds no brace, so no replacement creates a new tag.
std::string ExpandEmoticons(const std::string& text) {
    const std::string_view in(text);
    std::string out;
    out.reserve(text.size());
    size_t done = 0;
    for (size_t at = in.find(kEmOpen); at != std::string_view::npos; at = in.find(kEmOpen, at)) {
        size_t length = 0;
        const int n = EmoticonAt(in, at, length);
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
    out.append(in, done, std::string_view::npos);
    return out;
}

namespace {

// The most one content may grow to. A tag of ordinary text becomes at most
// about 22 times its length (the longest link around an empty id), so 64 times
// the input plus 64 KB never limits a remark whose tags do not nest. Ids that
// hold further tag openings make each pass copy the whole link again, which
// without a bound turns a 1 KB remark into megabytes on every render.
size_t GrowthBound(size_t inputSize) {
    return 64 * inputSize + 64 * 1024;
}

// Non-overlapping occurrences of `what`, counted left to right as ReplaceAll
// replaces them.
size_t Occurrences(std::string_view text, std::string_view what) {
    if (what.empty()) return 0;
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + what.size())) {
        ++count;
    }
    return count;
}

}  // namespace

// Each pass takes the first opening and the first closing of the content; the
// text between them is the id, and every tag with that id is converted at
// once. One pass counter serves all four services. A pass whose result would
// pass the growth bound is not made, and no later one: the tags left stay as
// typed.
std::string ExpandMessengerTags(const std::string& text) {
    const size_t bound = GrowthBound(text.size());
    std::string out = text;
    int passes = 0;
    for (const MessengerService& service : kServices) {
        const std::string opening = std::string("{") + service.name;
        const std::string closing = std::string(service.name) + "}";
        for (size_t p = out.find(opening); p != std::string::npos; p = out.find(opening)) {
            if (++passes > kMaxPasses) break;
            const size_t c = out.find(closing);
            std::string id;
            std::string next = out;
            if (c == std::string::npos || c == 0) {
                next = Neutralise(std::move(next), p);
            } else if (c > p + opening.size()) {
                id = out.substr(p + opening.size(), c - p - opening.size());
            }
            const std::string tag = opening + id + closing;
            const std::string link = MessengerLink(service, id);
            const size_t count = Occurrences(next, tag);
            if (next.size() - count * tag.size() + count * link.size() > bound) return out;
            out = ReplaceAll(next, tag, link);
        }
    }
    return out;
}

}  // namespace korvane
