#include "store/listrows.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>

#include "store/notebook.h"
#include "store/readtransaction.h"
#include "store/sqlitelayer.h"

namespace korvane {
namespace {

// Columns of the list query.
enum Column { kDate = 0, kTitle = 1, kContent = 2, kId = 3, kTel = 4 };

// Both the whole list and its windows read in this order. The record number
// breaks ties between equal dates, so windows never overlap or skip; the
// (state, cre_date) index holds the rowid too, so no sorting is needed.
constexpr std::string_view kListColumns = "SELECT cre_date,title,content,ID,tel";
constexpr std::string_view kListOrder = " ORDER BY cre_date DESC, ID DESC";

std::string ListQuery() {
    return std::string(kListColumns) + " FROM mylist WHERE state=?1" + std::string(kListOrder);
}

// A window's rows read from the head of the list, or, for a window in the
// list's far half, from its end in the opposite order: the rows SQLite steps
// past are never more than half the list.
std::string WindowQuery(bool fromEnd) {
    return std::string(kListColumns) + " FROM mylist WHERE state=?1" +
           (fromEnd ? std::string(" ORDER BY cre_date ASC, ID ASC") : std::string(kListOrder)) +
           " LIMIT ?2 OFFSET ?3";
}

ListRow RowAt(TSQLiteTable& table) {
    return ListRow{table.FieldText(kDate), table.FieldText(kTitle), table.FieldText(kContent),
                   table.FieldText(kId), table.FieldText(kTel)};
}

// Both kinds: the list columns and the kind.
constexpr std::string_view kRecordQuery = "SELECT cre_date,title,content,ID,tel,state FROM mylist";
constexpr int kState = 5;
// Bound parameters per statement, well under SQLite's smallest limit.
constexpr size_t kNumbersPerRead = 500;

void AppendRecords(TSQLiteTable& table, std::vector<StoredRecord>& out) {
    for (table.GoFirst(); !table.AtEnd(); table.GoNext()) {
        const std::optional<RecordKind> kind = RecordKindOf(table.FieldInt64(kState));
        if (!kind) continue;
        out.push_back({*kind, table.FieldInt64(kId), RowAt(table)});
    }
}

// The placeholders ?1..?n of a statement reading `n` records by number. The
// kind is checked after the read: with it in the statement SQLite may walk
// the list's index instead of looking the numbers up.
std::string ByNumbers(size_t n) {
    std::string sql = std::string(kRecordQuery) + " WHERE ID IN (";
    for (size_t i = 1; i <= n; ++i) {
        sql += i > 1 ? ",?" : "?";
        sql += std::to_string(i);
    }
    return sql + ")";
}

}  // namespace

std::vector<ListRow> ReadList(RecordKind kind) {
    const std::unique_ptr<TSQLiteTable> table =
        Database()->OpenQuery(ListQuery(), {int32_t{StateOf(kind)}});
    std::vector<ListRow> rows;
    rows.reserve(static_cast<size_t>(table->RowCount()));
    for (table->GoFirst(); !table->AtEnd(); table->GoNext()) rows.push_back(RowAt(*table));
    return rows;
}

ListRows ReadListWindow(RecordKind kind, int first, int count) {
    TSQLiteDatabase& db = *Database();
    ListRows window;
    window.first = first;
    ReadTransaction read(db);
    window.total = CountOfKind(kind);
    const int64_t rows = std::clamp<int64_t>(window.total - first, 0, count);
    if (rows > 0) {
        const bool fromEnd = first > window.total / 2;
        const int64_t skip = fromEnd ? window.total - first - rows : first;
        const std::unique_ptr<TSQLiteTable> table = db.OpenQuery(
            WindowQuery(fromEnd), {int32_t{StateOf(kind)}, static_cast<int32_t>(rows), skip});
        window.rows.reserve(static_cast<size_t>(table->RowCount()));
        for (table->GoFirst(); !table->AtEnd(); table->GoNext())
            window.rows.push_back(RowAt(*table));
        if (fromEnd) std::reverse(window.rows.begin(), window.rows.end());
    }
    read.Done();
    return window;
}

std::vector<StoredRecord> ReadAllRecords() {
    return ReadAllRecords(*Database());
}

std::vector<StoredRecord> ReadAllRecords(TSQLiteDatabase& db) {
    const std::unique_ptr<TSQLiteTable> table =
        db.OpenQuery(std::string(kRecordQuery) + " WHERE state IN (0,1)" + std::string(kListOrder));
    std::vector<StoredRecord> records;
    records.reserve(static_cast<size_t>(table->RowCount()));
    AppendRecords(*table, records);
    return records;
}

std::vector<StoredRecord> ReadAllRecordsApart(const std::string& path) {
    TSQLiteDatabase db(path, TSQLiteDatabase::Mode::ReadOnly);
    db.SetBusyTimeout(3000);
    ReadTransaction read(db);
    std::vector<StoredRecord> records = ReadAllRecords(db);
    read.Done();
    return records;
}

std::vector<StoredRecord> ReadRecordsByNumber(const std::vector<int64_t>& numbers) {
    std::vector<StoredRecord> records;
    for (size_t start = 0; start < numbers.size(); start += kNumbersPerRead) {
        const size_t n = std::min(kNumbersPerRead, numbers.size() - start);
        const SqlValues ids(numbers.begin() + static_cast<ptrdiff_t>(start),
                            numbers.begin() + static_cast<ptrdiff_t>(start + n));
        AppendRecords(*Database()->OpenQuery(ByNumbers(n), ids), records);
    }
    return records;
}

}  // namespace korvane
