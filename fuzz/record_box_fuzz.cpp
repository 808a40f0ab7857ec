// The final markup of a record box, after every conversion and every mark,
// on any stored texts and any search: the input is split at 0x1F bytes into
// the title, the content, the date, the telephone, the record number and a
// query. Each kind's box is built as the lists show it (both forms) and as
// the results show it, with the query's matches marked. Whatever the texts,
// every tag of the box is one of the allowed forms (so none carries a
// handler, a style or an address of its own), elements close in order, links
// never nest, exactly two icons name a command, and the record number they
// carry is digits only.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "render/finder.h"
#include "render/findtext.h"
#include "render/recordbox.h"
#include "tests/support/markup_check.h"

namespace {

std::vector<std::string> Fields(std::string_view in) {
    std::vector<std::string> fields(6);
    size_t field = 0;
    for (char c : in) {
        if (c == '\x1F' && field + 1 < fields.size()) {
            ++field;
        } else {
            fields[field] += c;
        }
    }
    return fields;
}

// A tag without its quoted attribute values: what is left are the names. A
// value may hold any text (a messenger id in a link's address).
std::string Unquoted(std::string_view tag) {
    std::string names;
    bool quoted = false;
    for (char c : tag) {
        if (c == '"') quoted = !quoted;
        if (!quoted) names += c;
    }
    return names;
}

// The tags of the box with `what` among their names; stored text may hold
// any words, but only as text or inside a quoted value.
size_t CountInTags(std::string_view box, std::string_view what) {
    size_t n = 0;
    for (size_t at = box.find('<'); at != std::string_view::npos; at = box.find('<', at + 1)) {
        const std::string_view tag = korvane::test::box_check::TagAt(box, at);
        n += Unquoted(tag).find(what) != std::string::npos;
    }
    return n;
}

void Check(const std::string& box, std::string_view command) {
    const std::string fault = korvane::test::BoxMarkupFault(box);
    if (!fault.empty()) {
        std::fprintf(stderr, "%s\n", fault.c_str());
        std::abort();
    }
    if (CountInTags(box, command) != 2 || CountInTags(box, "<table") != 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> f =
        Fields(std::string_view(reinterpret_cast<const char*>(data), size));
    const korvane::ListRow row{f[2], f[0], f[1], f[4], f[3]};
    const std::string query = korvane::FoldQuery(f[5]);
    for (int kind : {0, 1}) {
        Check(korvane::RecordBox(kind, row, 7), "data-code=");
        Check(korvane::RecordBox(kind, row, 7, korvane::BoxForm::kReference), "onclick=");
        Check(korvane::FoundBox(kind, row, query, 3), "data-code=");
    }
    return 0;
}
