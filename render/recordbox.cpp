#include "render/recordbox.h"

#include <stdexcept>
#include <string_view>

#include "base/ansitext.h"
#include "platform/codepage.h"
#include "render/markup.h"
#include "render/sanitize.h"
#include "store/dbfunc.h"

namespace korvane {
namespace {

constexpr int kNotes = 0;
constexpr int kContacts = 1;

// What differs between the two lists.
struct ListKind {
    std::string newButton;
    std::string editBefore;    // edit icon up to the record number
    std::string deleteBefore;  // delete icon up to the record number
    std::string_view bodyOpen;
    std::string_view titleClose;
    std::string_view hiddenClose;
    std::string bodyClose;
    bool showsTel;  // the box's date line shows the telephone, not the date
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
        false,
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
        true,
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

// Stored text is shown, never run: each field passes the sanitiser first, and
// the converters then add only their own pictures and links.
std::string ConvertContent(int kind, const std::string& content) {
    const std::string text = SanitizeMarkup(content);
    return kind == kNotes ? BreakLines(ExpandEmoticons(text))
                          : BreakLines(ExpandMessengerTags(text));
}

// The record number goes into the icons' script calls: anything but digits
// (a notebook whose ID column holds text) becomes 0, which no command acts on.
std::string RecordNumber(const ListRow& row) {
    return IsDecimalDigits(row.id) ? row.id : std::string("0");
}

// Bytes of one record box: its fixed markup plus room for typical texts, so
// the box grows without repeated copying.
size_t RecordEstimate(const ListKind& kind, const ListRow& row) {
    return kBoxTop.size() + kBoxBottom.size() + kind.editBefore.size() + kind.deleteBefore.size() +
           kind.bodyClose.size() + 270 + row.title.size() + row.content.size() + row.date.size();
}

const ListKind& KindOf(int listKind) {
    if (listKind != kNotes && listKind != kContacts) throw std::invalid_argument("record kind");
    return listKind == kNotes ? NotesKind() : ContactsKind();
}

}  // namespace

std::string RecordBox(int listKind, const ListRow& row, int ordinal) {
    const ListKind& kind = KindOf(listKind);
    const std::string number = std::to_string(ordinal);
    const std::string id = RecordNumber(row);
    std::string out;
    out.reserve(RecordEstimate(kind, row));
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
    out += SanitizeMarkup(row.title);
    out += kind.titleClose;
    out += "<div class=\"dts\">";
    out += SanitizeMarkup(kind.showsTel ? row.tel : row.date);
    out += "</div>";
    out += "<div class=\"round_body_contain\">";
    out += ConvertContent(listKind, row.content);
    out += "</div><span id=\"b";
    out += number;
    out += kind.hiddenClose;
    out += kind.bodyClose;
    out += "<td class=\"l3\" valign=\"top\"><span class=\"lrh\">";
    out += number;
    out += "#&nbsp;</span></td>";
    out += kBoxBottom;
    return out;
}

std::string ListHeader(int listKind, int64_t count) {
    const ListKind& kind = KindOf(listKind);
    static const std::string countBefore = Cp("<span class=\"TlNo\">共");
    static const std::string countAfter = Cp("项</span>");
    if (count == 0) return kind.newButton + texts::NoData();
    return kind.newButton + countBefore + std::to_string(count) + countAfter;
}

}  // namespace korvane
