// ExpandEmoticons on any bytes must equal replacing the tags for 0 to 29 in
// turn, each everywhere in the text outside tags, comments and declarations;
// those stay exactly as they are.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/ansitext.h"
#include "render/htmltokens.h"
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

// The text runs replaced in turn, the markup between them copied.
std::string OutsideMarkupInTurn(const std::string& in) {
    std::string out;
    korvane::ForEachPiece(
        in,
        [&](size_t begin, size_t end) { out += EmoticonsInTurn(in.substr(begin, end - begin)); },
        [&](size_t begin, const korvane::Markup& markup) {
            out += in.substr(begin, markup.end - begin);
        });
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    if (korvane::ExpandEmoticons(in) != OutsideMarkupInTurn(in)) std::abort();
    return 0;
}
