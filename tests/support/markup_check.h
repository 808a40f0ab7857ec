// The shape sanitised markup must have, checked independently of the
// sanitiser's own reading, for the tests and the fuzz target. Header only, so
// the fuzz target needs no further source.
//
// Every tag must be one of the kept tags in its exact written form:
//   <span class="TBlank|TBBl|Tred|TBred">  </span>
//   <a href="ADDRESS" target="_blank">    </a>
//   <br/>
// where ADDRESS begins with http://, https:// or mailto: and holds no quote,
// '<', '>' or control character. So no tag carries an event handler (on...=)
// or any other attribute, and no link runs script (javascript:, data:, ...).
// Spans and links must be closed in the order opened, all of them, and a link
// never holds another. In text, '>' never appears and '&' only begins &amp;,
// &lt; or &gt;, so text can neither open a tag nor read as a reference.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::test {

namespace markup_check {

inline bool StartsWithNoCase(std::string_view text, std::string_view lower) {
    if (text.size() < lower.size()) return false;
    for (size_t i = 0; i < lower.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

inline bool IsLinkAddress(std::string_view address) {
    const bool bad = std::any_of(address.begin(), address.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || c == '"' || c == '<' || c == '>';
    });
    return !bad && (StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://") ||
                    StartsWithNoCase(address, "mailto:"));
}

inline bool IsSpanTag(std::string_view tag) {
    for (std::string_view cls : {"TBlank", "TBBl", "Tred", "TBred"}) {
        if (tag == "<span class=\"" + std::string(cls) + "\">") return true;
    }
    return false;
}

// The address of a link tag, or nothing when `tag` is no link tag.
inline std::optional<std::string_view> LinkTagAddress(std::string_view tag) {
    constexpr std::string_view before = "<a href=\"";
    constexpr std::string_view after = "\" target=\"_blank\">";
    if (tag.size() < before.size() + after.size()) return std::nullopt;
    if (!tag.starts_with(before) || !tag.ends_with(after)) return std::nullopt;
    return tag.substr(before.size(), tag.size() - before.size() - after.size());
}

}  // namespace markup_check

// What is wrong with `html` as sanitised markup; empty when nothing is.
inline std::string SanitizedMarkupFault(std::string_view html) {
    using namespace markup_check;
    std::vector<std::string> open;
    size_t at = 0;
    while (at < html.size()) {
        const char c = html[at];
        const std::string where = " at byte " + std::to_string(at);
        if (c == '>') return "'>' in text" + where;
        if (c == '&' && !html.substr(at).starts_with("&amp;") &&
            !html.substr(at).starts_with("&lt;") && !html.substr(at).starts_with("&gt;")) {
            return "bare '&' in text" + where;
        }
        if (c != '<') {
            ++at;
            continue;
        }
        const size_t close = html.find('>', at);
        if (close == std::string_view::npos) return "unfinished tag" + where;
        const std::string_view tag = html.substr(at, close + 1 - at);
        at = close + 1;
        if (tag == "<br/>") continue;
        if (tag == "</span>" || tag == "</a>") {
            const std::string name(tag.substr(2, tag.size() - 3));
            if (open.empty() || open.back() != name) return "misnested " + std::string(tag) + where;
            open.pop_back();
        } else if (IsSpanTag(tag)) {
            open.push_back("span");
        } else if (const auto address = LinkTagAddress(tag)) {
            if (!IsLinkAddress(*address)) return "link address " + std::string(*address) + where;
            if (std::count(open.begin(), open.end(), "a") > 0) return "link in a link" + where;
            open.push_back("a");
        } else {
            return "tag " + std::string(tag) + where;
        }
    }
    if (!open.empty()) return "left open: " + open.back();
    return std::string();
}

}  // namespace korvane::test
