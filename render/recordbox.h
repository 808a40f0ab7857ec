// One record's box in a list: the boxed table with its edit and delete icons,
// title, date or telephone line, content and number. Shared by the lists and
// the finder's results, so a record looks the same in both.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvane {

class TSQLiteTable;

// Columns every query of records for boxes selects, in this order.
inline constexpr std::string_view kRecordColumns = "cre_date,title,content,ID,tel";
enum RecordColumn {
    kDateColumn = 0,
    kTitleColumn = 1,
    kContentColumn = 2,
    kIdColumn = 3,
    kTelColumn = 4
};

// A record's texts as its box shows them, as code-page markup: the stored
// texts passed through the sanitiser, the content also through the kind's
// converters (line breaks, emoticons or messenger tags).
struct ShownRecord {
    std::string id;  // decimal digits; "0" for a record number that is none
    std::string title;
    std::string detail;  // a note's date, a contact's telephone
    std::string content;
};

// The current row of a query selecting kRecordColumns. kind 0 is a note, 1 a
// contact; anything else throws std::invalid_argument.
ShownRecord ShowRecord(int kind, TSQLiteTable& row);

// The box of a record; `ordinal` counts the list's records from 1. A
// non-empty `badge` (markup) stands before the title.
std::string RecordBox(int kind, const ShownRecord& record, int ordinal,
                      std::string_view badge = {});

// About the bytes of one box, so a list grows without repeated copying.
size_t RecordEstimate(int kind);

// The list header's "new" button of the kind.
const std::string& NewButton(int kind);

}  // namespace korvane
