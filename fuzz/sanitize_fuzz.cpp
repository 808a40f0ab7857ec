// SanitizeMarkup on any bytes: the output holds only the kept tags in their
// written form, properly nested and all closed, so no tag carries an event
// handler and no link a script address; text holds no '>' and no '&' but the
// sanitiser's own escapes; and a text without '<' or '&' keeps every byte,
// only its '>' escaped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/ansitext.h"
#include "render/sanitize.h"
#include "tests/support/markup_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::string out = korvane::SanitizeMarkup(in);
    if (!korvane::test::SanitizedMarkupFault(out).empty()) std::abort();
    if (in.find_first_of("<&") == std::string_view::npos &&
        out != korvane::ReplaceAll(in, ">", "&gt;")) {
        std::abort();
    }
    return 0;
}
