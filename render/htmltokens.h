// One reading of HTML for everything that looks at markup: the sanitiser that
// turns stored texts into markup, the converters that add pictures and links
// to it, and the finder's marks. Each must agree with the page on where a tag
// ends, so all of them read tags as the page does: a '>' inside a quoted
// attribute value does not end the tag.
//
// The reader works on bytes. That is safe for GBK, GB18030 and UTF-8: no byte
// of a multi-byte character is one of the bytes markup is made of ('<', '>',
// '&', '"', '\'', '=', '/', blanks), so none is ever taken for one.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace korvane {

enum class MarkupKind {
    kStartTag,
    kEndTag,
    kHidden,  // a comment, declaration or processing instruction: the page shows nothing of it
    kText,    // a '<' that starts nothing, or markup the text ends inside: shows as typed
};

// One piece of markup read from a '<'. Of a tag's attributes only those a kept
// tag is rebuilt from are recorded: the first of each name, as the page would
// take it.
struct Markup {
    MarkupKind kind = MarkupKind::kText;
    size_t end = 0;  // just past the markup
    std::string_view name;
    std::optional<std::string_view> cls;
    std::optional<std::string_view> href;
};

// The markup that starts with the '<' at `at` in `text`. A tag's name runs to
// a blank, '/' or '>'; attributes follow, each a name with an optional value
// that may be quoted with either quote; '>' outside a quoted value ends the
// tag. Markup the text ends inside takes the rest of the text (kText).
Markup ReadMarkup(std::string_view text, size_t at);

// Calls `text(begin, end)` for each run of text and `tag(begin, markup)` for
// each piece of markup of kinds other than kText, in order; markup of kind
// kText counts as text. Every byte belongs to exactly one call. Linear.
template <class OnText, class OnMarkup>
void ForEachPiece(std::string_view html, OnText text, OnMarkup tag) {
    size_t at = 0;
    size_t run = 0;  // where the current text run began
    while (at < html.size()) {
        const size_t lt = html.find('<', at);
        if (lt == std::string_view::npos) break;
        const Markup markup = ReadMarkup(html, lt);
        if (markup.kind == MarkupKind::kText) {
            at = markup.end;
            continue;
        }
        if (lt > run) text(run, lt);
        tag(lt, markup);
        at = run = markup.end;
    }
    if (html.size() > run) text(run, html.size());
}

// ASCII-only case-insensitive comparisons; `lower` is in lower case.
bool StartsWithNoCase(std::string_view text, std::string_view lower);
bool EqualsNoCase(std::string_view text, std::string_view lower);

}  // namespace korvane
