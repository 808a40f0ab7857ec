#include "render/listpage.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "platform/codepage.h"
#include "render/recordbox.h"
#include "store/SQLiteTable3.h"
#include "store/ansitext.h"
#include "store/dbfunc.h"
#include "store/readtransaction.h"

namespace korvane {
namespace {

const std::string& QueryFailed() {
    static const std::string text = Cp("无法完成！请与软件商联系！");
    return text;
}

// Both the whole list and its windows read in this order. The record number
// breaks ties between equal dates, so windows never overlap or skip; the
// (state, cre_date) index holds the rowid too, so no sorting is needed.
const std::string kListColumns = "SELECT " + std::string(kRecordColumns);
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

std::string CountHeader(int kind, int64_t count) {
    static const std::string countBefore = Cp("<span class=\"TlNo\">共");
    static const std::string countAfter = Cp("项</span>");
    return NewButton(kind) + countBefore + std::to_string(count) + countAfter;
}

std::string Header(int kind, int64_t count) {
    return count == 0 ? NewButton(kind) + texts::NoData() : CountHeader(kind, count);
}

// Everything after the database is open; failures throw.
std::string BuildList(int listKind) {
    TSQLiteDatabase& db = *Database();
    if (!db.HasTable("mylist")) return texts::DatabaseBroken();
    const std::unique_ptr<TSQLiteTable> rows = db.OpenQuery(ListQuery(listKind));
    std::string out = Header(listKind, rows->RowCount());
    if (rows->RowCount() == 0) return out;
    out.reserve(out.size() + static_cast<size_t>(rows->RowCount()) * RecordEstimate(listKind));
    rows->GoFirst();
    for (int ordinal = 1; ordinal <= rows->RowCount(); ++ordinal) {
        out += RecordBox(listKind, ShowRecord(listKind, *rows), ordinal);
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
    NewButton(window.kind);  // throws for a kind that is none
    // The window's count and rows come from one read of the notebook.
    ReadTransaction read(db);
    const int64_t total = CountOfKind(window.kind);
    window.total = static_cast<int>(std::min<int64_t>(total, INT32_MAX));
    window.header = Header(window.kind, total);
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
                RecordBox(window.kind, ShowRecord(window.kind, *table), window.first + at + 1);
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
