#include "render/recordbox.h"

#include <stdexcept>

#include "base/ansitext.h"
#include "platform/codepage.h"
#include "platform/uitext.h"
#include "render/longtext.h"
#include "render/markup.h"
#include "render/sanitize.h"
#include "render/storetexts.h"
#include "store/notebook.h"

namespace korvane {
namespace {

constexpr int kNotes = 0;
constexpr int kContacts = 1;

// What differs between the two lists.
struct ListKind {
    int number;                   // 0 or 1, as the "new" button passes it
    std::string newButtonBefore;  // the "new" button up to its call
    std::string_view editCode;
    std::string_view deleteCode;
    std::string_view bodyOpen;
    std::string_view titleClose;
    std::string_view hiddenClose;
    std::string bodyClose;
    bool showsTel;  // the box's date line shows the telephone, not the date
};

// The icons up to the attribute that names their command.
const std::string& EditIconBefore() {
    static const std::string before =
        "<img src=\"image/sedit.gif\" name=\"imgs\" style=\"cursor:pointer\"  "
        "align=\"absmiddle\" title=\"" +
        Ui::tr("修改") + "\" ";
    return before;
}

const std::string& DeleteIconBefore() {
    static const std::string before =
        "<img src=\"image/dele.gif\" name=\"imgs\" style=\"cursor:pointer\" "
        "align=\"absmiddle\" title=\"" +
        Ui::tr("删除") + "\" ";
    return before;
}

// What names an icon's command, up to the end of its tag: a script call in
// the reference form (the edit icon's ends with a semicolon, the delete
// icon's does not), data attributes in the page's form.
void AppendIconCommand(std::string& out, BoxForm form, std::string_view code, std::string_view id,
                       bool semicolon) {
    if (form == BoxForm::kReference) {
        out += "onclick=\"EditDel('";
        out += code;
        out += "',";
        out += id;
        out += semicolon ? ");\" />" : ")\" />";
        return;
    }
    out += "data-code=\"";
    out += code;
    out += "\" data-id=\"";
    out += id;
    out += "\" />";
}

const ListKind& NotesKind() {
    static const ListKind kind{
        0,
        "<span class=\"New\"><input type=\"Button\" value=\"" + Ui::tr("新增记事") +
            "\" name=\"New1\" class=\"BTN\" ",
        "EdNo",
        "DeNo",
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
        1,
        "<span class=\"New\"><input type=\"Button\" value=\"" + Ui::tr("新增联系人") +
            "\" name=\"New2\" class=\"BTN\" ",
        "EdCn",
        "DeCn",
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

// A field as the box holds it: in the page's form a long field shows its
// beginning and keeps the rest for when the user opens the record.
std::string Shown(BoxForm form, const std::string& markup, size_t limit) {
    return form == BoxForm::kPage ? FoldLongMarkup(markup, limit) : markup;
}

const ListKind& KindOf(int listKind) {
    if (listKind != kNotes && listKind != kContacts) throw std::invalid_argument("record kind");
    return listKind == kNotes ? NotesKind() : ContactsKind();
}

}  // namespace

ShownRecord ShowRecord(int kind, const ListRow& row) {
    const ListKind& shape = KindOf(kind);
    return ShownRecord{RecordNumber(row), SanitizeMarkup(row.title),
                       SanitizeMarkup(shape.showsTel ? row.tel : row.date),
                       ConvertContent(kind, row.content)};
}

size_t RecordEstimate(int kind) {
    const ListKind& shape = KindOf(kind);
    constexpr size_t kTexts = 160;
    return kBoxTop.size() + kBoxBottom.size() + EditIconBefore().size() +
           DeleteIconBefore().size() + shape.bodyClose.size() + 330 + kTexts;
}

std::string NewButton(int kind, BoxForm form) {
    const ListKind& shape = KindOf(kind);
    const std::string number = std::to_string(shape.number);
    const std::string call = form == BoxForm::kReference ? "onclick=\"Newc(" + number + ");\""
                                                         : "data-new=\"" + number + "\"";
    return shape.newButtonBefore + call + "></span>";
}

namespace {

// The trash box's buttons: the command and the copy's number as data.
std::string TrashTools(const std::string& trashId) {
    static const std::string restore = "<button type=\"button\" class=\"tb\" title=\"" +
                                       Ui::tr("恢复到列表") + "\" data-trash=\"TrRe\" data-id=\"";
    static const std::string purge = "<button type=\"button\" class=\"tb purge\" title=\"" +
                                     Ui::tr("彻底删除，无法恢复") +
                                     "\" data-trash=\"TrPu\" data-id=\"";
    static const std::string restoreLabel = "\">" + Ui::tr("恢复") + "</button>";
    static const std::string purgeLabel = "\">" + Ui::tr("彻底删除") + "</button>";
    return restore + trashId + restoreLabel + purge + trashId + purgeLabel;
}

// A box whose tools (the icons or the trash's buttons) are `tools`.
std::string BoxWith(int kind, const ShownRecord& record, int ordinal, std::string_view badge,
                    BoxForm form, std::string_view tools, std::string_view toolsClass) {
    const ListKind& shape = KindOf(kind);
    const std::string number = std::to_string(ordinal);
    std::string out;
    out.reserve(RecordEstimate(kind) + record.title.size() + record.detail.size() +
                record.content.size() + badge.size());
    out += kBoxTop;
    out += shape.bodyOpen;
    out += "<span id=\"mm";
    out += number;
    out += "\" class=\"";
    out += toolsClass;
    out += "\">";
    out += tools;
    out += "</span>";
    out += badge;
    out += "<span class=\"t\" id=\"t";
    out += number;
    out += "\">";
    out += Shown(form, record.title, kShownLineBytes);
    out += shape.titleClose;
    out += "<div class=\"dts\">";
    out += Shown(form, record.detail, kShownLineBytes);
    out += "</div>";
    out += "<div class=\"round_body_contain\">";
    out += Shown(form, record.content, kShownContentBytes);
    out += "</div><span id=\"b";
    out += number;
    out += shape.hiddenClose;
    out += shape.bodyClose;
    out += "<td class=\"l3\" valign=\"top\"><span class=\"lrh\">";
    out += number;
    out += "#&nbsp;</span></td>";
    out += kBoxBottom;
    return out;
}

}  // namespace

std::string RecordBox(int kind, const ShownRecord& record, int ordinal, std::string_view badge,
                      BoxForm form) {
    const ListKind& shape = KindOf(kind);
    std::string tools = EditIconBefore();
    AppendIconCommand(tools, form, shape.editCode, record.id, true);
    tools += DeleteIconBefore();
    AppendIconCommand(tools, form, shape.deleteCode, record.id, false);
    return BoxWith(kind, record, ordinal, badge, form, tools, "tm");
}

std::string TrashBox(int kind, const ShownRecord& record, int64_t trashId, int ordinal,
                     std::string_view badge) {
    const std::string id = trashId > 0 ? std::to_string(trashId) : std::string("0");
    return BoxWith(kind, record, ordinal, badge, BoxForm::kPage, TrashTools(id), "tm trash");
}

const std::string& KindBadge(int kind) {
    static const std::string note =
        "<span class=\"kd kd0\">" + Ui::tr("记事", "a record's kind") + "</span>";
    static const std::string contact =
        "<span class=\"kd kd1\">" + Ui::tr("联系人", "a record's kind") + "</span>";
    return kind == 1 ? contact : note;
}

std::string RecordBox(int kind, const ListRow& row, int ordinal, BoxForm form) {
    return RecordBox(kind, ShowRecord(kind, row), ordinal, {}, form);
}

std::string ListHeader(int kind, int64_t count, BoxForm form) {
    static const std::string total = Ui::tr("共%1项");
    if (count == 0) return NewButton(kind, form) + texts::NoData();
    return NewButton(kind, form) + "<span class=\"TlNo\">" +
           UiArgs(total, {std::to_string(count)}) + "</span>";
}

}  // namespace korvane
