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

// How the icons of a box and the list's "new" button name their command.
//   kReference: inline script calls, the list markup's reference form, kept
//     byte for byte: onclick="EditDel('EdNo',5);" on an edit icon,
//     onclick="EditDel('DeNo',5)" on a delete icon, onclick="Newc(0);" on
//     the "new" button.
//   kPage: the same tags with data attributes in place of each call:
//     data-code="EdNo" data-id="5", data-code="DeNo" data-id="5",
//     data-new="0". The page attaches its own handlers to them, so its policy
//     can forbid every inline script, and a handler that stored text might
//     smuggle in could never run. A field longer than the page lays out at
//     once shows its beginning, the rest kept in a template
//     (render/longtext.h) until the user opens the record.
// Nothing else differs between the two forms.
enum class BoxForm { kPage, kReference };

// The box of a record; `ordinal` counts the list's records from 1. A
// non-empty `badge` (markup) stands before the title.
std::string RecordBox(int kind, const ShownRecord& record, int ordinal, std::string_view badge = {},
                      BoxForm form = BoxForm::kPage);

// The box of a record in the trash, in the page's form: as RecordBox, with
// "恢复" and "彻底删除" buttons in place of the edit and delete icons. Each
// names its command and the trash's number of the copy in data attributes
// (data-trash="TrRe" data-id="7", data-trash="TrPu" data-id="7"), which the
// page's own handler reads; the box holds no script.
std::string TrashBox(int kind, const ShownRecord& record, int64_t trashId, int ordinal,
                     std::string_view badge);

// The badge that marks a record 记事 or 联系人 in a list of both kinds.
const std::string& KindBadge(int kind);

// About the bytes of one box, so a list grows without repeated copying.
size_t RecordEstimate(int kind);

// The list header's "new" button of the kind.
std::string NewButton(int kind, BoxForm form = BoxForm::kPage);

// The box of a record as the lists show it (no badge).
std::string RecordBox(int kind, const ListRow& row, int ordinal, BoxForm form = BoxForm::kPage);

// The "new" button with the record count, or with the no-data text when the
// list is empty. Another kind throws.
std::string ListHeader(int kind, int64_t count, BoxForm form = BoxForm::kPage);

}  // namespace korvane
