// RecordBox on any stored texts: the input is split at 0x1F bytes into the
// title, the content, the date, the telephone and the record number, and
// each kind's box is built. Whatever the texts, the box keeps its own frame:
// one table, exactly the two icon handlers, calls that carry only digits, and
// balanced blocks; stored text may hold anything, but only as text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "render/recordbox.h"

namespace {

// The box's tags: stored text never holds '<' or '>' (the sanitiser escapes
// them), so every '<' of the box begins a tag of the program's own markup.
std::vector<std::string_view> Tags(std::string_view box) {
    std::vector<std::string_view> tags;
    for (size_t at = box.find('<'); at != std::string_view::npos; at = box.find('<', at + 1)) {
        const size_t end = box.find('>', at);
        if (end == std::string_view::npos) std::abort();
        tags.push_back(box.substr(at, end - at + 1));
    }
    return tags;
}

size_t CountTags(const std::vector<std::string_view>& tags, std::string_view part) {
    size_t n = 0;
    for (std::string_view tag : tags) n += tag.find(part) != std::string_view::npos;
    return n;
}

// A tag without its quoted attribute values: what is left are the names. A
// value may hold any text (a messenger id in a link's address), but never a
// quote, so it can never start an attribute of its own.
std::string Unquoted(std::string_view tag) {
    std::string names;
    bool quoted = false;
    for (char c : tag) {
        if (c == '"') quoted = !quoted;
        if (!quoted) names += c;
    }
    return names;
}

// The tags with an event handler among their attributes.
size_t CountHandlers(const std::vector<std::string_view>& tags) {
    size_t n = 0;
    for (std::string_view tag : tags) n += Unquoted(tag).find(" on") != std::string::npos;
    return n;
}

korvane::ListRow RowOf(std::string_view in) {
    std::vector<std::string> fields(5);
    size_t field = 0;
    for (char c : in) {
        if (c == '\x1F' && field + 1 < fields.size()) {
            ++field;
        } else {
            fields[field] += c;
        }
    }
    return {fields[2], fields[0], fields[1], fields[4], fields[3]};
}

// The icons' handlers call EditDel('XXXX',N) with N digits only.
bool CallsCarryDigits(const std::vector<std::string_view>& tags) {
    for (std::string_view tag : tags) {
        const size_t at = tag.find("EditDel('");
        if (at == std::string_view::npos) continue;
        const size_t from = at + 15;  // EditDel(' + four letters + ',
        const size_t to = tag.find(')', from);
        if (to == std::string_view::npos || to == from) return false;
        for (size_t i = from; i < to; ++i)
            if (tag[i] < '0' || tag[i] > '9') return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const korvane::ListRow row = RowOf(std::string_view(reinterpret_cast<const char*>(data), size));
    for (int kind : {0, 1}) {
        const std::string box = korvane::RecordBox(kind, row, 7);
        const std::vector<std::string_view> tags = Tags(box);
        if (CountTags(tags, "<table") != 1 || CountTags(tags, "</table>") != 1) std::abort();
        if (CountHandlers(tags) != 2 || CountTags(tags, "<script") != 0) std::abort();
        if (CountTags(tags, "<div") != CountTags(tags, "</div>")) std::abort();
        if (!CallsCarryDigits(tags)) std::abort();
    }
    return 0;
}
