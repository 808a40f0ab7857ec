// ReadEnex on any bytes, the note contents inside them parsed as documents of
// their own: no crash, no sanitizer report, bounded work; an error and no
// note, or notes of well-formed stored texts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/xml_notes_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    korvane::CheckXmlNotes(korvane::ReadEnex(in), 0);
    return 0;
}
