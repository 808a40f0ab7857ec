// ExpandMessengerTags on any bytes: no crash, no sanitizer report, and it
// returns (the twelve-pass cap bounds the work). Text without any tag opening
// comes back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "render/markup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    const std::string out = korvane::ExpandMessengerTags(in);
    bool hasOpening = false;
    for (const char* opening : {"{QQ", "{MS", "{SP", "{AL"}) {
        hasOpening = hasOpening || in.find(opening) != std::string::npos;
    }
    if (!hasOpening && out != in) std::abort();
    return 0;
}
