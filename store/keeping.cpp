#include "store/keeping.h"

#include <chrono>
#include <memory>

#include "base/log.h"
#include "store/readtransaction.h"
#include "store/sqlitelayer.h"
#include "store/syncstate.h"

namespace korvane {
namespace {

// The copies' columns: every column of mylist, without a declared type so
// that each value keeps its storage type, and the moment of the copy.
std::string TableStatement(const char* table, const char* moment) {
    return std::string("CREATE TABLE IF NOT EXISTS ") + table +
           "(record INTEGER NOT NULL,title,content,tel,state,cre_date," + moment +
           " INTEGER NOT NULL)";
}

const std::string& TrashTableStatement() {
    static const std::string statement = TableStatement(kTrashTable, "deleted_at");
    return statement;
}

const std::string& HistoryTableStatement() {
    static const std::string statement = TableStatement(kHistoryTable, "saved_at");
    return statement;
}

KeepingFindings& Findings() {
    static KeepingFindings findings;
    return findings;
}

bool TableFault(StoreStatus status) {
    return status == StoreStatus::Failed || status == StoreStatus::Damaged;
}

// Renames `table` to a dated name; true when it is out of the way.
bool SetAside(const char* table) {
    const std::string aside = std::string(table) + "_aside_" + std::to_string(UnixNow());
    const StoreResult renamed =
        RunStatement(std::string("ALTER TABLE ") + table + " RENAME TO " + aside);
    if (!renamed.Ok()) return false;
    log::Warn(log::Area::Store, std::string(table) + " set aside as " + aside);
    Findings().setAside.push_back(aside);
    return true;
}

bool HasTable(const char* table) {
    return OpenNotebook().Ok() && Database()->HasTable(table);
}

TrashedRecord TrashedAt(TSQLiteTable& t) {
    TrashedRecord r;
    r.trashId = t.FieldInt64(0);
    r.deletedAt = t.FieldInt64(1);
    r.kind = RecordKindOf(t.FieldInt64(2)).value_or(RecordKind::Note);
    r.row = {t.FieldText(3), t.FieldText(4), t.FieldText(5), t.FieldText(6), t.FieldText(7)};
    return r;
}

constexpr char kTrashColumns[] =
    "SELECT rowid,deleted_at,state,cre_date,title,content,record,tel FROM korvane_trash";
constexpr char kTrashOrder[] = " ORDER BY deleted_at DESC, rowid DESC";

std::vector<TrashedRecord> ReadTrash(const std::string& query, const SqlValues& values) {
    std::vector<TrashedRecord> rows;
    const std::unique_ptr<TSQLiteTable> table = Database()->OpenQuery(query, values);
    for (table->GoFirst(); !table->AtEnd(); table->GoNext()) rows.push_back(TrashedAt(*table));
    return rows;
}

// The trash copy's number, when there is one matching `where`.
std::optional<int64_t> TrashCopyWhere(const std::string& where, const SqlValues& values) {
    if (!HasTable(kTrashTable)) return std::nullopt;
    try {
        const std::unique_ptr<TSQLiteTable> t = Database()->OpenQuery(
            "SELECT rowid FROM korvane_trash WHERE " + where + " ORDER BY rowid DESC LIMIT 1",
            values);
        if (t->RowCount() == 0) return std::nullopt;
        t->GoFirst();
        return t->FieldInt64(0);
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store, std::string("trash not read: ") + e.what());
        return std::nullopt;
    }
}

}  // namespace

int64_t UnixNow() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

StoreResult RunKeeping(const char* table, std::vector<SqlStatement> keep,
                       const std::vector<SqlStatement>& change) {
    const size_t kept = keep.size();
    keep.insert(keep.end(), change.begin(), change.end());
    StoreResult result = RunStatementsAtOnce(keep);
    if (result.Ok() || !TableFault(result.status)) return result;
    // The change alone may be what fails: then it fails the same way alone.
    if (HasTable(table) && SetAside(table)) {
        result = RunStatementsAtOnce(keep);
        if (result.Ok()) return result;
    }
    result = RunStatementsAtOnce(change);
    if (result.Ok() && kept > 0) {
        log::Warn(log::Area::Store, std::string("a change went on without its copy in ") + table);
        Findings().copyLost = true;
    }
    return result;
}

std::vector<SqlStatement> TrashCopy(int64_t id, int64_t now) {
    return {{TrashTableStatement(), {}},
            {"INSERT INTO korvane_trash(record,title,content,tel,state,cre_date,deleted_at)"
             "SELECT ID,title,content,tel,state,cre_date,?1 FROM mylist WHERE ID=?2",
             {now, id}}};
}

std::vector<SqlStatement> HistoryCopy(int64_t id, int64_t now, const std::string& changed,
                                      const SqlValues& changedValues) {
    SqlValues values = {now, id};
    values.insert(values.end(), changedValues.begin(), changedValues.end());
    return {
        {HistoryTableStatement(), {}},
        {"CREATE INDEX IF NOT EXISTS korvane_history_record ON korvane_history(record,saved_at)",
         {}},
        {"INSERT INTO korvane_history(record,title,content,tel,state,cre_date,saved_at)"
         "SELECT ID,title,content,tel,state,cre_date,?1 FROM mylist WHERE ID=?2 AND (" +
             changed + ")",
         values}};
}

SqlStatement ThinHistory(int64_t id, int64_t now) {
    // Numbered newest first overall, within its day and within its week.
    return {
        "DELETE FROM korvane_history WHERE rowid IN(SELECT rowid FROM(SELECT rowid,saved_at,"
        "row_number()OVER(ORDER BY saved_at DESC,rowid DESC)AS n,"
        "row_number()OVER(PARTITION BY saved_at/86400 ORDER BY saved_at DESC,rowid DESC)AS d,"
        "row_number()OVER(PARTITION BY saved_at/604800 ORDER BY saved_at DESC,rowid DESC)AS w "
        "FROM korvane_history WHERE record=?1)"
        "WHERE n>?3 AND NOT((?2-saved_at<=2592000 AND d=1)OR(?2-saved_at>2592000 AND w=1)))",
        {id, now, kVersionsKept}};
}

KeepingFindings TakeKeepingFindings() {
    KeepingFindings findings = std::move(Findings());
    Findings() = {};
    return findings;
}

TrashWindow ReadTrashWindow(int first, int count) {
    TrashWindow window;
    window.first = first;
    TSQLiteDatabase& db = *Database();
    if (!db.HasTable(kTrashTable)) return window;
    ReadTransaction read(db);
    const std::unique_ptr<TSQLiteTable> total = db.OpenQuery("SELECT count(*) FROM korvane_trash");
    total->GoFirst();
    window.total = total->FieldInt64(0);
    window.rows = ReadTrash(std::string(kTrashColumns) + kTrashOrder + " LIMIT ?1 OFFSET ?2",
                            {int32_t{count}, int32_t{first}});
    read.Done();
    return window;
}

std::vector<TrashedRecord> ReadAllTrash() {
    if (!Database()->HasTable(kTrashTable)) return {};
    return ReadTrash(std::string(kTrashColumns) + kTrashOrder, {});
}

StoreResult RestoreFromTrash(int64_t trashId) {
    const std::optional<int64_t> copy = TrashCopyWhere("rowid=?1", {trashId});
    if (!copy) return {StoreStatus::NotFound};
    // The record's own number unless a record took it meanwhile.
    return RunStatementsAtOnce(
        {{"INSERT INTO mylist(ID,title,content,tel,state,cre_date)"
          "SELECT(SELECT t.record WHERE NOT EXISTS(SELECT 1 FROM mylist m WHERE m.ID=t.record)),"
          "title,content,tel,state,cre_date FROM korvane_trash t WHERE rowid=?1",
          {*copy}},
         {"DELETE FROM korvane_trash WHERE rowid=?1", {*copy}}});
}

StoreResult UndoDelete(int64_t id) {
    const std::optional<int64_t> copy = TrashCopyWhere("record=?1", {id});
    if (!copy) return {StoreStatus::NotFound};
    return RestoreFromTrash(*copy);
}

StoreResult PurgeFromTrash(int64_t trashId) {
    if (!TrashCopyWhere("rowid=?1", {trashId})) return {StoreStatus::NotFound};
    return RunStatement("DELETE FROM korvane_trash WHERE rowid=?1", {trashId});
}

StoreResult EmptyTrash() {
    if (!HasTable(kTrashTable)) return {};
    return RunStatement("DELETE FROM korvane_trash");
}

StoreResult PurgeOldTrash(int64_t now) {
    const SqlValues cutoff = {now - kTrashSeconds};
    if (!TrashCopyWhere("deleted_at<?1", cutoff)) return {};
    return RunStatement("DELETE FROM korvane_trash WHERE deleted_at<?1", cutoff);
}

RecordHistory ReadHistory(int64_t id) {
    RecordHistory history;
    history.result = UseNotebook([&history, id] {
        if (!Database()->HasTable(kHistoryTable)) return;
        const std::unique_ptr<TSQLiteTable> t = Database()->OpenQuery(
            "SELECT rowid,saved_at,title,content,tel,cre_date FROM korvane_history "
            "WHERE record=?1 ORDER BY saved_at DESC,rowid DESC",
            {id});
        for (t->GoFirst(); !t->AtEnd(); t->GoNext()) {
            history.versions.push_back({t->FieldInt64(0), t->FieldInt64(1), t->FieldText(2),
                                        t->FieldText(3), t->FieldText(4), t->FieldText(5)});
        }
    });
    return history;
}

StoreResult RestoreVersion(int64_t id, int64_t versionId, const std::string& time, int64_t now) {
    if (!HasTable(kHistoryTable)) return {StoreStatus::NotFound};
    std::vector<std::string> found;
    const StoreResult there =
        ReadFirstRow("SELECT rowid FROM korvane_history WHERE rowid=" + std::to_string(versionId) +
                         " AND record=" + std::to_string(id),
                     found, 1);
    if (!there.Ok()) return there;
    // The version's values (?3), compared and written exactly as stored.
    const auto of = [](const char* column) {
        return std::string("(SELECT ") + column + " FROM korvane_history WHERE rowid=?3)";
    };
    const std::string differs = "title IS NOT " + of("title") + " OR content IS NOT " +
                                of("content") + " OR tel IS NOT " + of("tel");
    const SqlStatement update{"UPDATE mylist SET title=" + of("title") + ",content=" +
                                  of("content") + ",tel=" + of("tel") + ",cre_date=?1 WHERE ID=?2",
                              {time, id, versionId}};
    std::vector<SqlStatement> change{update, ThinHistory(id, now)};
    for (SqlStatement& mark : SyncJournalMark(id)) change.push_back(std::move(mark));
    return RunKeeping(kHistoryTable, HistoryCopy(id, now, differs, {versionId}), change);
}

StoreResult BoundHistory(int64_t maxBytes) {
    if (!HasTable(kHistoryTable)) return {};
    try {
        const std::unique_ptr<TSQLiteTable> size = Database()->OpenQuery(
            "SELECT page_count*page_size FROM pragma_page_count(),pragma_page_size()");
        size->GoFirst();
        if (size->FieldInt64(0) <= maxBytes) return {};
    } catch (const ESQLiteException& e) {
        return {StoreStatus::Failed, {}, e.what()};
    }
    return RunStatement(
        "DELETE FROM korvane_history WHERE rowid IN(SELECT rowid FROM(SELECT rowid,"
        "sum(length(CAST(title AS BLOB))+length(CAST(content AS BLOB))+length(CAST(tel AS BLOB)))"
        "OVER(ORDER BY saved_at DESC,rowid DESC)AS kept FROM korvane_history)WHERE kept>?1)",
        {maxBytes});
}

}  // namespace korvane
