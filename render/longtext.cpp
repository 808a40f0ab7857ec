#include "render/longtext.h"

#include <vector>

#include "render/htmltokens.h"

namespace korvane {
namespace {

constexpr std::string_view kRestOpen = "<template class=\"rest\">";
constexpr std::string_view kRestClose = "</template>";

// The length of the character or character reference at `at` of a text
// run ending at `end`: GBK's double-byte characters, GB18030's four-byte
// ones (a digit as the second byte) and "&...;" stay whole.
size_t PieceLength(std::string_view text, size_t at, size_t end) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte == '&') {
        const size_t semicolon = text.substr(0, end).find(';', at);
        if (semicolon != std::string_view::npos && semicolon - at <= 12) return semicolon - at + 1;
        return 1;
    }
    if (byte < 0x81 || at + 1 >= end) return 1;
    const auto second = static_cast<unsigned char>(text[at + 1]);
    if (second >= '0' && second <= '9' && at + 3 < end) return 4;
    return 2;
}

// The first place at or after `limit` inside the text run [begin, end)
// where a cut splits no character and no reference; `end` when none.
size_t CutInRun(std::string_view text, size_t begin, size_t end, size_t limit) {
    size_t at = begin;
    while (at < end && at < limit) at += PieceLength(text, at, end);
    return at < end ? at : end;
}

}  // namespace

std::string FoldLongMarkup(std::string_view markup, size_t limit) {
    if (markup.size() <= limit) return std::string(markup);
    std::vector<std::string_view> open;  // the start tags of the open elements
    size_t cut = markup.size();
    std::vector<std::string_view> openAtCut;
    bool found = false;
    ForEachPiece(
        markup,
        [&](size_t begin, size_t end) {
            if (found || end <= limit) return;
            cut = CutInRun(markup, begin, end, limit);
            openAtCut = open;
            found = true;
        },
        [&](size_t begin, const Markup& tag) {
            if (found) return;
            if (begin >= limit) {
                cut = begin;
                openAtCut = open;
                found = true;
                return;
            }
            const bool isVoid = EqualsNoCase(tag.name, "br") || EqualsNoCase(tag.name, "img");
            if (tag.kind == MarkupKind::kStartTag && !isVoid) {
                open.push_back(markup.substr(begin, tag.end - begin));
            } else if (tag.kind == MarkupKind::kEndTag && !open.empty()) {
                open.pop_back();
            }
        });
    if (cut >= markup.size()) return std::string(markup);
    std::string out(markup.substr(0, cut));
    for (auto it = openAtCut.rbegin(); it != openAtCut.rend(); ++it) {
        const Markup tag = ReadMarkup(*it, 0);
        out += "</";
        out += tag.name;
        out += '>';
    }
    out += kRestOpen;
    for (std::string_view tag : openAtCut) out += tag;
    out += markup.substr(cut);
    out += kRestClose;
    return out;
}

}  // namespace korvane
