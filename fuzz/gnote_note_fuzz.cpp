// ReadGnoteNote on any bytes: no crash, no sanitizer report, bounded work;
// an error and no note, or exactly one note of well-formed stored texts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/xml_notes_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    korvane::CheckXmlNotes(korvane::ReadGnoteNote(in), 1);
    return 0;
}
