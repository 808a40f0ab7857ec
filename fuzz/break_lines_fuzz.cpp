// BreakLines on any bytes: every carriage return becomes "<br/>", nothing else changes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/ansitext.h"
#include "render/markup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    const std::string out = korvane::BreakLines(in);
    const size_t returns = static_cast<size_t>(std::count(in.begin(), in.end(), '\r'));
    if (out.find('\r') != std::string::npos || out.size() != in.size() + 4 * returns) std::abort();
    // Where the input held no break of its own, reading the breaks back gives it again.
    if (in.find("<br/>") == std::string::npos && korvane::ReplaceAll(out, "<br/>", "\r") != in) {
        std::abort();
    }
    return 0;
}
