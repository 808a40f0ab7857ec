#include "store/syncstate.h"

#include <memory>

#include "store/sqlitelayer.h"

namespace korvane {
namespace {

// Record columns first, then the item's, then the journal mark; the columns
// LocalAt reads.
constexpr char kLocalColumns[] =
    "SELECT m.ID,m.state,m.title,m.content,m.tel,m.cre_date,s.id IS NOT NULL,s.uid,s.href,"
    "s.etag,s.server_copy,s.local_date,ifnull(j.seq,0),s.sent_copy FROM mylist m "
    "LEFT JOIN kv_sync_item s ON s.id=m.ID LEFT JOIN kv_sync_journal j ON j.id=m.ID ";

constexpr char kItemColumns[] =
    "SELECT id,kind,uid,href,etag,local_date,server_copy,sent_copy FROM kv_sync_item ";

RecordKind KindOf(int64_t state) {
    return RecordKindOf(state).value_or(RecordKind::Note);
}

LocalRecord LocalAt(TSQLiteTable& t) {
    LocalRecord r;
    r.id = t.FieldInt64(0);
    r.kind = KindOf(t.FieldInt64(1));
    r.title = t.FieldText(2);
    r.content = t.FieldText(3);
    r.tel = t.FieldText(4);
    r.date = t.FieldText(5);
    r.hasItem = t.FieldInt64(6) != 0;
    if (r.hasItem) {
        r.item = {r.id,           r.kind,          t.FieldText(7),  t.FieldText(8),
                  t.FieldText(9), t.FieldText(10), t.FieldText(11), t.FieldText(13)};
    }
    r.journalSeq = t.FieldInt64(12);
    return r;
}

std::vector<LocalRecord> ReadLocal(const std::string& where, const SqlValues& values) {
    std::vector<LocalRecord> rows;
    const std::unique_ptr<TSQLiteTable> t =
        Database()->OpenQuery(std::string(kLocalColumns) + where, values);
    for (t->GoFirst(); !t->AtEnd(); t->GoNext()) rows.push_back(LocalAt(*t));
    return rows;
}

SyncItem ItemAt(TSQLiteTable& t, bool withCopy) {
    SyncItem item;
    item.id = t.FieldInt64(0);
    item.kind = KindOf(t.FieldInt64(1));
    item.uid = t.FieldText(2);
    item.href = t.FieldText(3);
    item.etag = t.FieldText(4);
    item.localDate = t.FieldText(5);
    if (withCopy) {
        item.serverCopy = t.FieldText(6);
        item.sentCopy = t.FieldText(7);
    }
    return item;
}

std::vector<SyncItem> ReadItems(const std::string& where, const SqlValues& values,
                                bool withCopies) {
    std::vector<SyncItem> items;
    const std::unique_ptr<TSQLiteTable> t =
        Database()->OpenQuery(std::string(kItemColumns) + where, values);
    for (t->GoFirst(); !t->AtEnd(); t->GoNext()) items.push_back(ItemAt(*t, withCopies));
    return items;
}

SqlValue TextOrNull(const std::string& text) {
    if (text.empty()) return std::monostate{};
    return text;
}

}  // namespace

StoreResult MakeSyncTables() {
    return RunStatementsAtOnce({
        {"CREATE TABLE IF NOT EXISTS kv_sync_item(id INTEGER PRIMARY KEY,kind INTEGER NOT NULL,"
         "uid TEXT NOT NULL,href TEXT,etag TEXT,server_copy BLOB,local_date,sent_copy BLOB)",
         {}},
        {"CREATE INDEX IF NOT EXISTS kv_sync_item_uid ON kv_sync_item(kind,uid)", {}},
        {"CREATE INDEX IF NOT EXISTS kv_sync_item_href ON kv_sync_item(kind,href)", {}},
        {"CREATE TABLE IF NOT EXISTS kv_sync_journal(id INTEGER PRIMARY KEY,seq INTEGER NOT NULL)",
         {}},
        {"CREATE TABLE IF NOT EXISTS kv_sync_state(name TEXT PRIMARY KEY,value TEXT)", {}},
    });
}

bool SyncTablesExist() {
    return NotebookIsOpen() && Database()->HasTable(kSyncJournalTable);
}

std::vector<SqlStatement> SyncJournalMark(int64_t id) {
    if (!SyncTablesExist()) return {};
    return {
        {"INSERT OR REPLACE INTO kv_sync_journal(id,seq)VALUES(?1,"
         "(SELECT ifnull(max(seq),0)+1 FROM kv_sync_journal))",
         {id}}};
}

std::string ReadSyncValue(const std::string& name) {
    if (!SyncTablesExist()) return {};
    try {
        const std::unique_ptr<TSQLiteTable> t =
            Database()->OpenQuery("SELECT value FROM kv_sync_state WHERE name=?1", {name});
        return t->GoFirst() && !t->AtEnd() ? t->FieldText(0) : std::string();
    } catch (const ESQLiteException&) {
        return {};
    }
}

SqlStatement WriteSyncValue(const std::string& name, const std::string& value) {
    return {"INSERT OR REPLACE INTO kv_sync_state(name,value)VALUES(?1,?2)", {name, value}};
}

std::vector<LocalRecord> ReadLocalChanges(RecordKind kind) {
    return ReadLocal(
        "WHERE m.state=?1 AND(s.id IS NULL OR j.id IS NOT NULL OR s.local_date IS NOT m.cre_date "
        "OR ifnull(s.etag,'')='' OR ifnull(s.href,'')='') ORDER BY m.ID",
        {int32_t{StateOf(kind)}});
}

std::vector<SyncItem> ReadLocalDeletes(RecordKind kind) {
    return ReadItems("WHERE kind=?1 AND id NOT IN(SELECT ID FROM mylist) ORDER BY id",
                     {int32_t{StateOf(kind)}}, false);
}

std::vector<SyncItem> ReadSyncItems(RecordKind kind) {
    return ReadItems("WHERE kind=?1 ORDER BY id", {int32_t{StateOf(kind)}}, false);
}

std::vector<LocalRecord> ReadLocalRecords(const std::vector<int64_t>& ids) {
    std::vector<LocalRecord> rows;
    for (int64_t id : ids) {
        std::vector<LocalRecord> one = ReadLocal("WHERE m.ID=?1", {id});
        rows.insert(rows.end(), one.begin(), one.end());
    }
    return rows;
}

bool FindSyncItem(RecordKind kind, const std::string& uid, const std::string& href,
                  SyncItem& item) {
    // The place first: it names one member; each lookup uses its index.
    const int32_t state = StateOf(kind);
    std::vector<SyncItem> found;
    if (!href.empty()) found = ReadItems("WHERE kind=?1 AND href=?2 LIMIT 1", {state, href}, true);
    if (found.empty() && !uid.empty())
        found = ReadItems("WHERE kind=?1 AND uid=?2 LIMIT 1", {state, uid}, true);
    if (found.empty()) return false;
    item = found.front();
    return true;
}

SqlStatement PutSyncItem(const SyncItem& item) {
    return {
        "INSERT OR REPLACE INTO kv_sync_item(id,kind,uid,href,etag,server_copy,local_date,"
        "sent_copy)VALUES(?1,?2,?3,?4,?5,?6,?7,?8)",
        {item.id, int32_t{StateOf(item.kind)}, item.uid, TextOrNull(item.href),
         TextOrNull(item.etag), SqlBlob{item.serverCopy}, item.localDate,
         TextOrNull(item.sentCopy)}};
}

SqlStatement ForgetSyncItem(int64_t id) {
    return {"DELETE FROM kv_sync_item WHERE id=?1", {id}};
}

SqlStatement UnplaceSyncItems(RecordKind kind) {
    return {
        "UPDATE kv_sync_item SET href=NULL,etag=NULL,server_copy=NULL,sent_copy=NULL "
        "WHERE kind=?1",
        {int32_t{StateOf(kind)}}};
}

SqlStatement RemoveRecord(int64_t id) {
    return {"DELETE FROM mylist WHERE ID=?1", {id}};
}

SqlStatement ClearJournalMark(int64_t id, int64_t seq) {
    return {"DELETE FROM kv_sync_journal WHERE id=?1 AND seq<=?2", {id, seq}};
}

std::vector<SqlStatement> InsertFromServer(const LocalRecord& r, const SyncItem& item) {
    std::vector<SqlStatement> statements{
        {"INSERT INTO mylist(title,content,tel,state,cre_date)VALUES(?1,?2,?3,?4,?5)",
         {ReplaceApostrophes(r.title), ReplaceApostrophes(r.content), ReplaceApostrophes(r.tel),
          int32_t{StateOf(r.kind)}, r.date}}};
    if (item.uid.empty()) return statements;
    statements.push_back(
        {"INSERT OR REPLACE INTO kv_sync_item(id,kind,uid,href,etag,server_copy,local_date)"
         "VALUES(last_insert_rowid(),?1,?2,?3,?4,?5,?6)",
         {int32_t{StateOf(item.kind)}, item.uid, TextOrNull(item.href), TextOrNull(item.etag),
          SqlBlob{item.serverCopy}, r.date}});
    return statements;
}

std::vector<SqlStatement> UpdateFromServer(const LocalRecord& r, const SyncItem& item) {
    SyncItem kept = item;
    kept.id = r.id;
    kept.localDate = r.date;
    return {{"UPDATE mylist SET title=?1,content=?2,tel=?3,cre_date=?4 WHERE ID=?5",
             {ReplaceApostrophes(r.title), ReplaceApostrophes(r.content), ReplaceApostrophes(r.tel),
              r.date, r.id}},
            PutSyncItem(kept)};
}

}  // namespace korvane
