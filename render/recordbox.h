// One record's box in a list: the boxed table with its edit and delete icons,
// title, date or telephone line, content and number. Pure functions of the
// stored texts, shared by the lists and the finder's results, so a record
// looks the same in both. Every field passes the sanitiser before the
// converters add their pictures and links, so no stored text is ever run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/listrows.h"

namespace korvane {

// A record's texts as its box shows them, as code-page markup: the stored
// texts passed through the sanitiser, the content also through the kind's
// converters (line breaks, emoticons or messenger tags).
struct ShownRecord {
    std::string id;  // decimal digits; "0" for a record number that is none
    std::string title;
    std::string detail;  // a note's date, a contact's telephone
    std::string content;
};

// The shown texts of a stored record. kind 0 is a note, 1 a contact;
// anything else throws std::invalid_argument.
ShownRecord ShowRecord(int kind, const ListRow& row);

// The box of a record; `ordinal` counts the list's records from 1. A
// non-empty `badge` (markup) stands before the title.
std::string RecordBox(int kind, const ShownRecord& record, int ordinal,
                      std::string_view badge = {});

// About the bytes of one box, so a list grows without repeated copying.
size_t RecordEstimate(int kind);

// The list header's "new" button of the kind.
const std::string& NewButton(int kind);

// The box of a record as the lists show it (no badge).
std::string RecordBox(int kind, const ListRow& row, int ordinal);

// The "new" button with the record count, or with the no-data text when the
// list is empty. Another kind throws.
std::string ListHeader(int kind, int64_t count);

}  // namespace korvane
