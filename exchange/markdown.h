// Notes as Markdown files: front matter (title, save time, record number),
// then the body with the editor's bold snippet as **bold**, emoticon tags as
// picture references, every other markup as the same inline HTML, and the
// characters Markdown would read as formatting escaped. A file written here
// reads back to the same stored bytes; any other Markdown or text file is
// kept as typed.
#pragma once

#include <string>
#include <string_view>

#include "exchange/exchangerecords.h"

namespace korvane {

// The file's bytes (UTF-8, LF line ends).
std::string NoteToMarkdown(const ExchangedNote& note);

// A note from a file's bytes: the front matter's title (else the first line
// that holds text), the body as typed with CR LF line ends; the exact inverse
// of NoteToMarkdown for files it wrote. A file that is not UTF-8 is read as
// code-page text (GBK and GB18030).
ExchangedNote MarkdownToNote(std::string_view bytes);

}  // namespace korvane
