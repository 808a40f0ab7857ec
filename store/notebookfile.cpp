#include "store/notebookfile.h"

#include <array>
#include <set>
#include <string_view>

#include "base/log.h"
#include "platform/fileinfo.h"
#include "store/keeping.h"

namespace korvane {

namespace {

// A file another connection is writing is waited for this long.
constexpr int kBusyTimeoutMs = 3000;

constexpr std::array<std::string_view, 6> kColumns{"ID",       "title", "content",
                                                   "cre_date", "tel",   "state"};

// The highest record number the table ever gave out: SQLite keeps it for a
// table whose key counts up by itself, also after its rows are deleted.
int64_t HighestRecordNumber(TSQLiteDatabase& db) {
    if (!db.HasTable("sqlite_sequence")) return 0;
    const auto row = db.OpenQuery("SELECT seq FROM sqlite_sequence WHERE name='mylist'");
    return row->RowCount() == 0 ? 0 : (row->GoFirst(), row->FieldInt64(0));
}

int64_t CountRecords(TSQLiteDatabase& db) {
    const auto count = db.OpenQuery("SELECT count(*) FROM mylist");
    count->GoFirst();
    return count->FieldInt64(0);
}

int64_t CountTrashed(TSQLiteDatabase& db) {
    if (!db.HasTable(kTrashTable)) return 0;
    const auto count = db.OpenQuery("SELECT count(*) FROM korvane_trash");
    count->GoFirst();
    return count->FieldInt64(0);
}

}  // namespace

bool HasNotebookTable(TSQLiteDatabase& db) {
    const auto columns = db.OpenQuery("PRAGMA table_info(mylist)");
    std::set<std::string, std::less<>> names;
    for (columns->GoFirst(); !columns->AtEnd(); columns->GoNext())
        names.insert(columns->FieldText(1));
    for (const std::string_view column : kColumns) {
        if (!names.contains(column)) return false;
    }
    return true;
}

bool EverHeldRecord(TSQLiteDatabase& db) {
    const auto any = db.OpenQuery("SELECT EXISTS (SELECT 1 FROM mylist)");
    any->GoFirst();
    return any->FieldInt64(0) != 0 || HighestRecordNumber(db) > 0;
}

std::optional<NotebookFacts> ReadNotebookFacts(const std::string& path, bool checkWhole) {
    if (platform::EntryKindOf(path) != platform::EntryKind::File) return std::nullopt;
    try {
        TSQLiteDatabase db(path, TSQLiteDatabase::Mode::ReadOnly);
        db.SetBusyTimeout(kBusyTimeoutMs);
        if (checkWhole && !db.QuickCheckOk()) return std::nullopt;
        if (!HasNotebookTable(db)) return std::nullopt;
        NotebookFacts facts;
        facts.records = CountRecords(db);
        facts.everHeldRecord = facts.records > 0 || HighestRecordNumber(db) > 0;
        facts.trashed = CountTrashed(db);
        return facts;
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store, "not a notebook: " + path + ": " + e.what());
        return std::nullopt;
    }
}

}  // namespace korvane
