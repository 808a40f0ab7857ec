// Long fields in the page: the page lays out every character it is given,
// and a field of megabytes costs it seconds. A field of page markup longer
// than a limit shows its beginning; the rest travels with it inside a
// <template>, which the page parses but never lays out until the user opens
// the record ("展开全文").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvane {

// The bytes of a field the page lays out at first.
inline constexpr size_t kShownContentBytes = 16 * 1024;  // a few screens of a note
inline constexpr size_t kShownLineBytes = 2 * 1024;      // a title, a date or a telephone

// `markup` (code-page page markup whose tags nest properly) unchanged when it
// is at most `limit` bytes; otherwise its first `limit` or so bytes followed
// by <template class="rest"> holding the rest. The cut falls between whole
// characters and outside tags and character references; the elements open
// there are closed before the template and opened again inside it, so both
// halves nest properly and together show exactly the whole.
std::string FoldLongMarkup(std::string_view markup, size_t limit);

}  // namespace korvane
