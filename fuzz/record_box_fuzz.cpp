// RecordBox on any stored texts: the input is split at 0x1F bytes into the
// title, the content, the date, the telephone and the record number, and
// each kind's box is built. Whatever the texts, the box keeps its own frame:
// one table, exactly the two icon handlers, calls that carry only digits, and
// no tag of the stored texts but the kept ones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "render/recordbox.h"

namespace {

size_t Count(std::string_view text, std::string_view part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
        ++n;
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

// The record number between "EditDel('XXXX'," and ")": digits only.
bool CallsCarryDigits(std::string_view box) {
    for (size_t at = box.find("EditDel('"); at != std::string_view::npos;
         at = box.find("EditDel('", at + 1)) {
        const size_t from = at + 15;  // EditDel(' + four letters + ',
        const size_t to = box.find(')', from);
        if (to == std::string_view::npos || to == from) return false;
        for (size_t i = from; i < to; ++i)
            if (box[i] < '0' || box[i] > '9') return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const korvane::ListRow row = RowOf(std::string_view(reinterpret_cast<const char*>(data), size));
    for (int kind : {0, 1}) {
        const std::string box = korvane::RecordBox(kind, row, 7);
        if (Count(box, "<table") != 1 || Count(box, "</table>") != 1) std::abort();
        if (Count(box, "onclick=") != 2 || Count(box, "<script") != 0) std::abort();
        if (Count(box, "<div") != Count(box, "</div>")) std::abort();
        if (!CallsCarryDigits(box)) std::abort();
    }
    return 0;
}
