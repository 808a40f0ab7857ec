#include "render/listpage.h"

#include <memory>
#include <stdexcept>
#include <string_view>

#include "platform/codepage.h"
#include "render/markup.h"
#include "store/SQLiteTable3.h"
#include "store/dbfunc.h"

namespace korvane {
namespace {

constexpr int kNotes = 0;
constexpr int kContacts = 1;

// Columns of the list query.
enum Column { kDate = 0, kTitle = 1, kContent = 2, kId = 3, kTel = 4 };

const std::string& QueryFailed() {
    static const std::string text = Cp("无法完成！请与软件商联系！");
    return text;
}

// What differs between the two lists.
struct ListKind {
    std::string newButton;
    std::string editBefore;    // edit icon up to the record number
    std::string deleteBefore;  // delete icon up to the record number
    std::string_view bodyOpen;
    std::string_view titleClose;
    std::string_view hiddenClose;
    std::string bodyClose;
    int detailColumn;  // shown in the box's date line
};

constexpr std::string_view kEditAfter = ");\" />";
constexpr std::string_view kDeleteAfter = ")\" />";

std::string EditIcon(std::string_view code) {
    static const std::string before =
        Cp("<img src=\"image/sedit.gif\" name=\"imgs\" style=\"cursor:pointer\"  "
           "align=\"absmiddle\" title=\"修改\" onclick=\"EditDel('");
    return before + std::string(code) + "',";
}

std::string DeleteIcon(std::string_view code) {
    static const std::string before =
        Cp("<img src=\"image/dele.gif\" name=\"imgs\" style=\"cursor:pointer\" "
           "align=\"absmiddle\" title=\"删除\" onclick=\"EditDel('");
    return before + std::string(code) + "',";
}

const ListKind& NotesKind() {
    static const ListKind kind{
        Cp("<span class=\"New\"><input type=\"Button\" value=\"新增记事\" name=\"New1\" "
           "class=\"BTN\" onclick=\"Newc(0);\"></span>"),
        EditIcon("EdNo"),
        DeleteIcon("DeNo"),
        "<td> ",
        "</span> ",
        "\" style=\"display:none\"></span> ",
        "</td>" + std::string(98, ' '),
        kDate,
    };
    return kind;
}

const ListKind& ContactsKind() {
    static const ListKind kind{
        Cp("<span class=\"New\"><input type=\"Button\" value=\"新增联系人\" name=\"New2\" "
           "class=\"BTN\" onclick=\"Newc(1);\"></span>"),
        EditIcon("EdCn"),
        DeleteIcon("DeCn"),
        "<td>",
        "</span>",
        "\" style=\"display:none\"></span>",
        "</td>",
        kTel,
    };
    return kind;
}

constexpr std::string_view kBoxTop =
    "<table width=\"100%\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\" class=\"round\">"
    "<tr>"
    "<td width=\"6\" height=\"6\"><img src=\"images/box/tl.jpg\" /></td>"
    "<td class=\"l1\"><img src=\"image/spacer.gif\" /></td>"
    "<td align=\"right\" class=\"l1\"><img src=\"images/box/tr.jpg\" /></td>"
    "</tr>"
    "<tr>"
    "<td class=\"l2\">&nbsp;</td>";

constexpr std::string_view kBoxBottom =
    "</tr>"
    "<tr>"
    "<td height=\"6\"><img src=\"images/box/lb.jpg\" /></td>"
    "<td class=\"l4\"><img src=\"image/spacer.gif\" /></td>"
    "<td align=\"right\" class=\"l4\"><img src=\"images/box/rb.jpg\" /></td>"
    "</tr></table>";

std::string ConvertContent(int kind, const std::string& content) {
    return kind == kNotes ? BreakLines(ExpandEmoticons(content))
                          : BreakLines(ExpandMessengerTags(content));
}

// Appends the box of the current row; `ordinal` counts the rows from 1.
void AppendRecord(std::string& out, const ListKind& kind, int listKind, TSQLiteTable& row,
                  int ordinal) {
    const std::string number = std::to_string(ordinal);
    const std::string id = row.FieldText(kId);
    out += kBoxTop;
    out += kind.bodyOpen;
    out += "<span id=\"mm";
    out += number;
    out += "\" class=\"tm\">";
    out += kind.editBefore;
    out += id;
    out += kEditAfter;
    out += kind.deleteBefore;
    out += id;
    out += kDeleteAfter;
    out += "</span><span class=\"t\" id=\"t";
    out += number;
    out += "\">";
    out += row.FieldText(kTitle);
    out += kind.titleClose;
    out += "<div class=\"dts\">";
    out += row.FieldText(kind.detailColumn);
    out += "</div>";
    out += "<div class=\"round_body_contain\">";
    out += ConvertContent(listKind, row.FieldText(kContent));
    out += "</div><span id=\"b";
    out += number;
    out += kind.hiddenClose;
    out += kind.bodyClose;
    out += "<td class=\"l3\" valign=\"top\"><span class=\"lrh\">";
    out += number;
    out += "#&nbsp;</span></td>";
    out += kBoxBottom;
}

// Bytes of one record box: its fixed markup plus room for typical texts, so
// the page grows without repeated copying.
size_t RecordEstimate(const ListKind& kind) {
    constexpr size_t kTexts = 160;
    return kBoxTop.size() + kBoxBottom.size() + kind.editBefore.size() + kind.deleteBefore.size() +
           kind.bodyClose.size() + 270 + kTexts;
}

std::string ListQuery(int kind) {
    return "SELECT cre_date,title,content,ID,tel FROM mylist WHERE state=" + std::to_string(kind) +
           " ORDER BY cre_date DESC";
}

// Everything after the database is open; failures throw.
std::string BuildList(int listKind) {
    TSQLiteDatabase& db = *Database();
    if (!db.HasTable("mylist")) return texts::DatabaseBroken();
    if (listKind != kNotes && listKind != kContacts) throw std::invalid_argument("record kind");
    const ListKind& kind = listKind == kNotes ? NotesKind() : ContactsKind();

    const std::unique_ptr<TSQLiteTable> rows = db.OpenQuery(ListQuery(listKind));
    if (rows->RowCount() == 0) return kind.newButton + texts::NoData();

    static const std::string countBefore = Cp("<span class=\"TlNo\">共");
    static const std::string countAfter = Cp("项</span>");
    std::string out = kind.newButton + countBefore + std::to_string(rows->RowCount()) + countAfter;
    out.reserve(out.size() + static_cast<size_t>(rows->RowCount()) * RecordEstimate(kind));
    rows->GoFirst();
    for (int ordinal = 1; ordinal <= rows->RowCount(); ++ordinal) {
        AppendRecord(out, kind, listKind, *rows, ordinal);
        rows->GoNext();
    }
    return out;
}

}  // namespace

std::string BuildListPage(int kind) {
    try {
        std::string opened = OpenDatabase();
        if (opened != texts::kOpen) return opened;
        return BuildList(kind);
    } catch (...) {
        try {
            return QueryFailed();
        } catch (...) {
            return std::string();  // out of memory even for the message
        }
    }
}

}  // namespace korvane
