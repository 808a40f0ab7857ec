// What the notebook keeps of its sync beside the records, in tables of its
// own so that `mylist` stays as every version of the program and the sqlite3
// shell know it:
//   kv_sync_item     one row per record that is on the server: its UID, where
//                    it lives (href), the ETag of the server's copy and that
//                    copy itself, so that what the notebook does not own in
//                    it survives a write; `local_date` is the record's save
//                    time when it was last in step; `sent_copy` is an
//                    upload on its way.
//   kv_sync_journal  records changed here since they were last in step,
//                    filled in the same transaction as the change.
//   kv_sync_state    the server's tokens and the collections' addresses.
// The tables are made by the first sync; until then nothing is journalled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/notebook.h"
#include "store/storestatus.h"

namespace korvane {

inline constexpr char kSyncItemTable[] = "kv_sync_item";
inline constexpr char kSyncJournalTable[] = "kv_sync_journal";
inline constexpr char kSyncStateTable[] = "kv_sync_state";

// Makes the three tables when they are missing.
StoreResult MakeSyncTables();

// True when the notebook has been synced (the tables exist).
bool SyncTablesExist();

// The statement that marks record `id` changed here, for a change's own
// transaction; none when the notebook is not synced.
std::vector<SqlStatement> SyncJournalMark(int64_t id);

// One value of kv_sync_state; empty when there is none.
std::string ReadSyncValue(const std::string& name);
SqlStatement WriteSyncValue(const std::string& name, const std::string& value);

struct SyncItem {
    int64_t id = 0;  // the record
    RecordKind kind = RecordKind::Note;
    std::string uid;
    std::string href;        // empty while an upload is not known to have landed
    std::string etag;        // empty while an upload is not known to have landed
    std::string serverCopy;  // the item's text as the server last held it
    std::string localDate;   // the record's cre_date when it was last in step
    // The text of an upload on its way: written before it is sent, so that
    // an upload that landed without being recorded is known as this
    // notebook's own when the server lists it.
    std::string sentCopy;
};

// A record as stored, with what the sync knows of it.
struct LocalRecord {
    int64_t id = 0;
    RecordKind kind = RecordKind::Note;
    std::string title;
    std::string content;
    std::string tel;
    std::string date;
    bool hasItem = false;
    SyncItem item;           // when hasItem
    int64_t journalSeq = 0;  // the journal's mark of this record; 0 for none
};

// The records of `kind` that must go to the server: never synced (no item),
// changed since they were in step (a journal mark, or a save time that is not
// the one they were in step at, as a change by another program leaves it), or
// whose upload is not known to have landed.
std::vector<LocalRecord> ReadLocalChanges(RecordKind kind);

// The items of `kind` whose record is gone here: deleted since the last sync.
std::vector<SyncItem> ReadLocalDeletes(RecordKind kind);

// Every item of `kind` (without their server copies), for comparing with a
// server's listing.
std::vector<SyncItem> ReadSyncItems(RecordKind kind);

// The records numbered `ids` with their items (copies included); missing
// records are left out. Reads throw on failure.
std::vector<LocalRecord> ReadLocalRecords(const std::vector<int64_t>& ids);

// The item with that UID or that href in `kind`, when there is one.
bool FindSyncItem(RecordKind kind, const std::string& uid, const std::string& href, SyncItem& item);

// Statements for the changes a pass makes; run together with
// RunStatementsAtOnce (or RunKeeping for deletes).
SqlStatement PutSyncItem(const SyncItem& item);  // insert or replace, by record
SqlStatement ForgetSyncItem(int64_t id);
// Every item of `kind` as not on the server (its collection changed): the
// records go up again, matched by UID where they are there already.
SqlStatement UnplaceSyncItems(RecordKind kind);
// Deletes record `id` (after its trash copy, TrashCopy) for a delete that
// came from the server.
SqlStatement RemoveRecord(int64_t id);
// Clears the journal mark of `id` unless the record changed again after `seq`.
SqlStatement ClearJournalMark(int64_t id, int64_t seq);
// A record from the server: a new one (its number is the next free one) with
// `item` for it unless `item.uid` is empty, or the fields of record `id`.
std::vector<SqlStatement> InsertFromServer(const LocalRecord& record, const SyncItem& item);
std::vector<SqlStatement> UpdateFromServer(const LocalRecord& record, const SyncItem& item);

}  // namespace korvane
