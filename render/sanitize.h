// Display-time sanitising of the texts users store in records (titles, dates,
// telephone numbers, contents). Stored texts are never rewritten; every text
// passes here on its way into a page, so whatever it holds can neither run
// script nor reshape the page around it.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

// `text` (code-page bytes) as page markup in which only the markup the program
// itself puts into texts stays markup:
//   - <span class="X"> for the note editor's four formats TBlank, TBBl, Tred
//     and TBred, and </span>;
//   - <a href="URL" target="_blank"> for an http://, https:// or mailto:
//     address, and </a>;
//   - <br/>.
// Those tags are rebuilt in exactly that form (other attributes dropped, names
// in any letter case accepted, a link always opening in a new view). Links do
// not nest: a link opening while another is open closes that one first.
// Everything else shows as typed: '<', '>' and '&' become &lt;, &gt; and
// &amp; (so a typed "&lt;" shows as "&lt;", not as "<"). An end tag closes
// the tags opened inside its own; one without a matching opening shows as text.
// Tags still open at the end are closed there, so a text never leaves a tag
// open for the markup after it. A tag, comment or declaration the text ends
// inside shows the rest of the text as typed. Every other byte, GBK or not,
// passes unchanged. Linear in the length of the text; throws only
// std::bad_alloc.
std::string SanitizeMarkup(std::string_view text);

}  // namespace korvane
