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

namespace korvane::test {

namespace box_check {

inline char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Matches `text` against `pattern`, letters in either case (as the page reads
// tag and attribute names and schemes), where '#' stands for one or more digits,
// '@' for a link address (one or more bytes, no quote, '<', '>' or control
// character) and '%' for an attribute's text (no quote, '<' or '>');
// every other byte stands for itself.
inline bool Matches(std::string_view text, std::string_view pattern) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isAddress = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte != 0x7F && c != '"' && c != '<' && c != '>';
    };
    const auto isAttribute = [](char c) { return c != '"' && c != '<' && c != '>'; };
    size_t t = 0;
    for (char p : pattern) {
        if (p == '#' || p == '@' || p == '%') {
            const auto fits = p == '#' ? +isDigit : p == '@' ? +isAddress : +isAttribute;
            const size_t begin = t;
            while (t < text.size() && fits(text[t])) ++t;
            if (t == begin) return false;
            continue;
        }
        if (t >= text.size() || Lower(text[t]) != Lower(p)) return false;
        ++t;
    }
    return t == text.size();
}

// The tags a record box may hold, after every conversion and every mark: its
// own frame, its icons in either form, the trash's two buttons, the finder's
// badges and marks, and the content's formatting, links, pictures and line
// breaks. A link's scheme
// alone is a link to nowhere, as the sanitiser keeps it.
inline const std::vector<std::string_view>& AllowedTags() {
    static const std::vector<std::string_view> tags = {
        R"~(<table width="100%" border="0" cellpadding="0" cellspacing="0" class="round">)~",
        "</table>",
        "<tr>",
        "</tr>",
        "<td>",
        "</td>",
        R"~(<td width="6" height="6">)~",
        R"~(<td class="l1">)~",
        R"~(<td align="right" class="l1">)~",
        R"~(<td class="l2">)~",
        R"~(<td class="l3" valign="top">)~",
        R"~(<td height="6">)~",
        R"~(<td class="l4">)~",
        R"~(<td align="right" class="l4">)~",
        R"~(<img src="images/box/tl.jpg" />)~",
        R"~(<img src="images/box/tr.jpg" />)~",
        R"~(<img src="images/box/lb.jpg" />)~",
        R"~(<img src="images/box/rb.jpg" />)~",
        R"~(<img src="image/spacer.gif" />)~",
        R"~(<span id="mm#" class="tm">)~",
        R"~(<img src="image/sedit.gif" name="imgs" style="cursor:pointer"  align="absmiddle" title="%" data-code="EdNo" data-id="#" />)~",
        R"~(<img src="image/sedit.gif" name="imgs" style="cursor:pointer"  align="absmiddle" title="%" data-code="EdCn" data-id="#" />)~",
        R"~(<img src="image/dele.gif" name="imgs" style="cursor:pointer" align="absmiddle" title="%" data-code="DeNo" data-id="#" />)~",
        R"~(<img src="image/dele.gif" name="imgs" style="cursor:pointer" align="absmiddle" title="%" data-code="DeCn" data-id="#" />)~",
        R"~(<img src="image/sedit.gif" name="imgs" style="cursor:pointer"  align="absmiddle" title="%" onclick="EditDel('EdNo',#);" />)~",
        R"~(<img src="image/sedit.gif" name="imgs" style="cursor:pointer"  align="absmiddle" title="%" onclick="EditDel('EdCn',#);" />)~",
        R"~(<img src="image/dele.gif" name="imgs" style="cursor:pointer" align="absmiddle" title="%" onclick="EditDel('DeNo',#)" />)~",
        R"~(<img src="image/dele.gif" name="imgs" style="cursor:pointer" align="absmiddle" title="%" onclick="EditDel('DeCn',#)" />)~",
        R"~(<span id="mm#" class="tm trash">)~",
        R"~(<button type="button" class="tb" title="%" data-trash="TrRe" data-id="#">)~",
        R"~(<button type="button" class="tb purge" title="%" data-trash="TrPu" data-id="#">)~",
        "</button>",
        R"~(<span class="t" id="t#">)~",
        R"~(<div class="dts">)~",
        R"~(<div class="round_body_contain">)~",
        "</div>",
        R"~(<span id="b#" style="display:none">)~",
        R"~(<span class="lrh">)~",
        R"~(<span class="kd kd0">)~",
        R"~(<span class="kd kd1">)~",
        R"~(<span class="kd hits">)~",
        R"~(<span class="TBlank">)~",
        R"~(<span class="TBBl">)~",
        R"~(<span class="Tred">)~",
        R"~(<span class="TBred">)~",
        "</span>",
        R"~(<a href="http://@" target="_blank">)~",
        R"~(<a href="https://@" target="_blank">)~",
        R"~(<a href="mailto:@" target="_blank">)~",
        R"~(<a href="http://" target="_blank">)~",
        R"~(<a href="https://" target="_blank">)~",
        R"~(<a href="mailto:" target="_blank">)~",
        R"~(<a target="_blank" href="http://@">)~",
        R"~(<a target="_blank" href="msnim:add?contact=@">)~",
        R"~(<a target="_blank" href="msnim:add?contact=">)~",
        R"~(<a target="_blank" href="callto://@">)~",
        R"~(<a target="_blank" href="callto://">)~",
        "</a>",
        "<br/>",
        R"~(<img src="icons/#.gif"/>)~",
        R"~(<img src="image/QQ.gif">)~",
        R"~(<img src="image/MS.gif">)~",
        R"~(<img src="image/SP.gif">)~",
        R"~(<img src="image/AL.gif">)~",
        R"~(<mark class="hit">)~",
        R"~(<template class="rest">)~",
        "</template>",
        "</mark>"};
    return tags;
}

// The tag that starts at `at`, read as the page reads it: up to the first
// '>' outside a quoted attribute value. Empty when the text ends inside it.
inline std::string_view TagAt(std::string_view html, size_t at) {
    char quote = 0;
    for (size_t i = at + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return html.substr(at, i + 1 - at);
        }
    }
    return {};
}

}  // namespace box_check

// What is wrong with `box`, the final markup of one record box (after every
// conversion and mark); empty when nothing is. Every tag must be one of the
// allowed forms, so no tag carries a handler, a style or an address of its
// own; elements must close in the order opened, a link never holds a link,
// and a mark never holds a tag.
inline std::string BoxMarkupFault(std::string_view box) {
    using namespace box_check;
    std::vector<std::string> open;
    for (size_t at = 0; at < box.size();) {
        const std::string where = " at byte " + std::to_string(at);
        if (box[at] == '>') return "'>' in text" + where;
        if (box[at] != '<') {
            ++at;
            continue;
        }
        const std::string_view tag = TagAt(box, at);
        if (tag.empty()) return "unfinished tag" + where;
        at += tag.size();
        const auto& allowed = AllowedTags();
        if (std::none_of(allowed.begin(), allowed.end(),
                         [&](std::string_view form) { return Matches(tag, form); }))
            return "tag " + std::string(tag) + where;
        const size_t nameEnd = tag.find_first_of(" >/", 2);
        const bool end = tag[1] == '/';
        const std::string name(tag.substr(end ? 2 : 1, nameEnd - (end ? 2 : 1)));
        if (!open.empty() && open.back() == "mark" && name != "mark")
            return "a tag inside a mark" + where;
        if (name == "img" || name == "br") continue;
        if (end) {
            if (open.empty() || open.back() != name) return "misnested " + std::string(tag) + where;
            open.pop_back();
            continue;
        }
        if (name == "a" && std::count(open.begin(), open.end(), "a") > 0)
            return "link in a link" + where;
        open.push_back(name);
    }
    if (!open.empty()) return "left open: " + open.back();
    return std::string();
}

}  // namespace korvane::test
