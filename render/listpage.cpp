#include "render/listpage.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "platform/codepage.h"
#include "render/markup.h"
#include "render/sanitize.h"
#include "store/SQLiteTable3.h"
#include "base/ansitext.h"
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

// Stored text is shown, never run: each field passes the sanitiser first, and
// the converters then add only their own pictures and links.
std::string ConvertContent(int kind, const std::string& content) {
    const std::string text = SanitizeMarkup(content);
    return kind == kNotes ? BreakLines(ExpandEmoticons(text))
                          : BreakLines(ExpandMessengerTags(text));
}

// The record number goes into the icons' script calls: anything but digits
// (a notebook whose ID column holds text) becomes 0, which no command acts on.
std::string RecordNumber(TSQLiteTable& row) {
    std::string id = row.FieldText(kId);
    return IsDecimalDigits(id) ? id : std::string("0");
}

// Bytes of one record box: its fixed markup plus room for typical texts, so
// the page grows without repeated copying.
size_t RecordEstimate(const ListKind& kind) {
    constexpr size_t kTexts = 160;
    return kBoxTop.size() + kBoxBottom.size() + kind.editBefore.size() + kind.deleteBefore.size() +
           kind.bodyClose.size() + 270 + kTexts;
}

// The box of the current row; `ordinal` counts the rows of the whole list from 1.
std::string RecordBox(const ListKind& kind, int listKind, TSQLiteTable& row, int ordinal) {
    const std::string number = std::to_string(ordinal);
    const std::string id = RecordNumber(row);
    std::string out;
    out.reserve(RecordEstimate(kind));
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
    out += SanitizeMarkup(row.FieldText(kTitle));
    out += kind.titleClose;
    out += "<div class=\"dts\">";
    out += SanitizeMarkup(row.FieldText(kind.detailColumn));
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
    return out;
}

// Both the whole list and its windows read in this order. The record number
// breaks ties between equal dates, so windows never overlap or skip; the
// (state, cre_date) index holds the rowid too, so no sorting is needed.
constexpr std::string_view kListColumns = "SELECT cre_date,title,content,ID,tel";
constexpr std::string_view kListOrder = " ORDER BY cre_date DESC, ID DESC";

std::string ListQuery(int kind) {
    return std::string(kListColumns) + " FROM mylist WHERE state=" + std::to_string(kind) +
           std::string(kListOrder);
}

// A window's rows read from the head of the list, or, for a window in the
// list's far half, from its end in the opposite order: the rows SQLite steps
// past are never more than half the list.
std::string WindowQuery(bool fromEnd) {
    return std::string(kListColumns) + " FROM mylist WHERE state=?1" +
           (fromEnd ? std::string(" ORDER BY cre_date ASC, ID ASC") : std::string(kListOrder)) +
           " LIMIT ?2 OFFSET ?3";
}

// The window's count and rows come from one read of the notebook.
class ReadTransaction {
  public:
    explicit ReadTransaction(TSQLiteDatabase& db) : db_(db) { db_.Execute("BEGIN"); }
    ~ReadTransaction() {
        try {
            db_.Execute(done_ ? "COMMIT" : "ROLLBACK");
        } catch (const ESQLiteException&) {
            // Nothing was written; a read that cannot end leaves no change behind.
        }
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;
    void Done() { done_ = true; }

  private:
    TSQLiteDatabase& db_;
    bool done_ = false;
};

const ListKind& KindOf(int listKind) {
    if (listKind != kNotes && listKind != kContacts) throw std::invalid_argument("record kind");
    return listKind == kNotes ? NotesKind() : ContactsKind();
}

std::string CountHeader(const ListKind& kind, int64_t count) {
    static const std::string countBefore = Cp("<span class=\"TlNo\">共");
    static const std::string countAfter = Cp("项</span>");
    return kind.newButton + countBefore + std::to_string(count) + countAfter;
}

std::string Header(const ListKind& kind, int64_t count) {
    return count == 0 ? kind.newButton + texts::NoData() : CountHeader(kind, count);
}

// Everything after the database is open; failures throw.
std::string BuildList(int listKind) {
    TSQLiteDatabase& db = *Database();
    if (!db.HasTable("mylist")) return texts::DatabaseBroken();
    const ListKind& kind = KindOf(listKind);

    const std::unique_ptr<TSQLiteTable> rows = db.OpenQuery(ListQuery(listKind));
    std::string out = Header(kind, rows->RowCount());
    if (rows->RowCount() == 0) return out;
    out.reserve(out.size() + static_cast<size_t>(rows->RowCount()) * RecordEstimate(kind));
    rows->GoFirst();
    for (int ordinal = 1; ordinal <= rows->RowCount(); ++ordinal) {
        out += RecordBox(kind, listKind, *rows, ordinal);
        rows->GoNext();
    }
    return out;
}

void FillWindow(ListWindow& window, int count) {
    TSQLiteDatabase& db = *Database();
    if (!db.HasTable("mylist")) {
        window.header = texts::DatabaseBroken();
        return;
    }
    const ListKind& kind = KindOf(window.kind);
    ReadTransaction read(db);
    const int64_t total = CountOfKind(window.kind);
    window.total = static_cast<int>(std::min<int64_t>(total, INT32_MAX));
    window.header = Header(kind, total);
    const int64_t first = window.first;
    const int64_t rows = std::clamp<int64_t>(total - first, 0, count);
    if (rows > 0) {
        const bool fromEnd = first > total / 2;
        const int64_t skip = fromEnd ? total - first - rows : first;
        const std::unique_ptr<TSQLiteTable> table = db.OpenQuery(
            WindowQuery(fromEnd),
            {int32_t{window.kind}, static_cast<int32_t>(rows), static_cast<int64_t>(skip)});
        window.boxes.resize(static_cast<size_t>(table->RowCount()));
        table->GoFirst();
        for (int i = 0; i < table->RowCount(); ++i, table->GoNext()) {
            const int at = fromEnd ? table->RowCount() - 1 - i : i;
            window.boxes[static_cast<size_t>(at)] =
                RecordBox(kind, window.kind, *table, window.first + at + 1);
        }
    }
    read.Done();
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

namespace korvane {

ListWindow BuildListWindow(int kind, int first, int count) {
    ListWindow window;
    window.kind = kind;
    window.first = first;
    try {
        if (first < 0 || count < 0 || count > kMaxWindowRecords) {
            window.header = QueryFailed();
            return window;
        }
        std::string opened = OpenDatabase();
        if (opened != texts::kOpen) {
            window.header = std::move(opened);
            return window;
        }
        FillWindow(window, count);
    } catch (...) {
        window.total = 0;
        window.boxes.clear();
        try {
            window.header = QueryFailed();
        } catch (...) {
            window.header.clear();  // out of memory even for the message
        }
    }
    return window;
}

}  // namespace korvane
