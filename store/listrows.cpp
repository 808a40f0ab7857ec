#include "store/listrows.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "base/log.h"
#include "store/SQLiteTable3.h"
#include "store/dbfunc.h"

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

// The window's count and rows come from one read of the notebook.
class ReadTransaction {
  public:
    explicit ReadTransaction(TSQLiteDatabase& db) : db_(db) { db_.Execute("BEGIN"); }
    ~ReadTransaction() {
        try {
            db_.Execute(done_ ? "COMMIT" : "ROLLBACK");
        } catch (const ESQLiteException& e) {
            // Nothing was written; a read that cannot end leaves no change behind.
            log::Warn(log::Area::Store, std::string("ending a list read: ") + e.what());
        }
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;
    void Done() { done_ = true; }

  private:
    TSQLiteDatabase& db_;
    bool done_ = false;
};

}  // namespace

std::vector<ListRow> ReadList(int kind) {
    const std::unique_ptr<TSQLiteTable> table = Database()->OpenQuery(ListQuery(), {int32_t{kind}});
    std::vector<ListRow> rows;
    rows.reserve(static_cast<size_t>(table->RowCount()));
    for (table->GoFirst(); !table->AtEnd(); table->GoNext()) rows.push_back(RowAt(*table));
    return rows;
}

ListRows ReadListWindow(int kind, int first, int count) {
    TSQLiteDatabase& db = *Database();
    ListRows window;
    window.first = first;
    ReadTransaction read(db);
    window.total = CountOfKind(kind);
    const int64_t rows = std::clamp<int64_t>(window.total - first, 0, count);
    if (rows > 0) {
        const bool fromEnd = first > window.total / 2;
        const int64_t skip = fromEnd ? window.total - first - rows : first;
        const std::unique_ptr<TSQLiteTable> table =
            db.OpenQuery(WindowQuery(fromEnd), {int32_t{kind}, static_cast<int32_t>(rows), skip});
        window.rows.reserve(static_cast<size_t>(table->RowCount()));
        for (table->GoFirst(); !table->AtEnd(); table->GoNext())
            window.rows.push_back(RowAt(*table));
        if (fromEnd) std::reverse(window.rows.begin(), window.rows.end());
    }
    read.Done();
    return window;
}

}  // namespace korvane
