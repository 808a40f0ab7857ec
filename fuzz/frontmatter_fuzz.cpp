// MarkdownToNote on any bytes: no crash, no sanitizer report, bounded work;
// and the note it makes comes back the same through NoteToMarkdown and
// MarkdownToNote.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exchange/markdown.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    const korvane::ExchangedNote note = korvane::MarkdownToNote(in);
    if (!(korvane::MarkdownToNote(korvane::NoteToMarkdown(note)) == note)) std::abort();
    return 0;
}
