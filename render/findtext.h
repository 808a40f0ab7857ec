// How the finder reads texts: characters, never bytes, folded so that what a
// user types finds what the page shows.
//
// Folding maps one character to one character: ASCII letters to small
// letters, the full-width forms U+FF01 to U+FF5E to their ASCII forms (and
// those letters to small letters), and the ideographic space U+3000 to the
// blank. Texts here are UTF-8; the code-page texts of the notebook are
// converted before (platform/codepage.h), so a query can never match half of
// a double-byte character: matching sees whole characters only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvane {

char32_t FoldCharacter(char32_t c);

// Telephone numbers are found with or without their separators: a query of
// digits and the characters numbers are written with (blank - . ( ) /), with
// at least kTelephoneDigits digits, matches the digits wherever the text has
// them, with or without such characters between them. "13800138000" finds
// "138-0013-8000" and "138 0013 8000", and "138-0013-8000" finds
// "13800138000".
inline constexpr size_t kTelephoneDigits = 4;

// The digits of such a query (folded, from FoldQuery), else empty.
std::string TelephoneDigits(std::string_view foldedQuery);

// `folded` (UTF-8) with every run of those separators that stands between two
// digits removed; empty when there is none, so an index keeps it only for the
// texts it changes.
std::string SqueezeDigitRuns(std::string_view folded);

// The query as the finder matches it, folded, in UTF-8: every invalid UTF-8
// sequence (a lone surrogate included) becomes U+FFFD, control characters are
// dropped (no text field can type them, and none can then match across the
// break between two fields), and blanks at both ends are removed. Empty when
// nothing is left to find.
std::string FoldQuery(std::string_view utf8);

// Appends the folded text a reader sees in `markup` (UTF-8 page markup): the
// characters outside tags, each character reference read as the one
// character it stands for.
void AppendShownText(std::string& out, std::string_view markup);

// `markup` with every match of `foldedQuery` (from FoldQuery) in its shown
// text wrapped in <mark class="hit">...</mark>. A match that runs across a
// tag is closed before the tag and opened again after it, so the marks never
// change the markup's own nesting; a character reference is never split.
// Matches are found left to right and never overlap; a telephone query
// (TelephoneDigits) marks its digits and the separators between them. An
// empty query marks nothing.
std::string HighlightMarkup(std::string_view markup, std::string_view foldedQuery);

// The same with only the first `maxMarks` matches marked, and the number of
// all matches, so one record's results stay small however often it matches.
struct MarkedMarkup {
    std::string markup;
    size_t matches = 0;
};
MarkedMarkup MarkMatches(std::string_view markup, std::string_view foldedQuery, size_t maxMarks);

}  // namespace korvane
