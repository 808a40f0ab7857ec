// ExpandEmoticons on any bytes must equal replacing the tags for 0 to 29 in
// turn, each everywhere.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/ansitext.h"
#include "render/markup.h"

namespace {

std::string EmoticonsInTurn(std::string text) {
    for (int n = 0; n < 30; ++n) {
        const std::string number = std::to_string(n);
        text = korvane::ReplaceAll(text, "{EM" + number + "EM}",
                                   "<img src=\"icons/" + number + ".gif\"/>");
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    if (korvane::ExpandEmoticons(in) != EmoticonsInTurn(in)) std::abort();
    return 0;
}
