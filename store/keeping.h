// The trash and the history: what the program keeps of the user's own
// mistakes. A deleted record is copied into the trash, and a save that
// changes a record copies the version it replaces into the history, each in
// the same transaction as the change itself, with every value exactly as
// stored (its bytes and its storage type). Both are tables of the notebook
// beside `mylist`, made by the first delete or save that needs them, never at
// open, so a notebook only looked at stays as it was and older versions of
// the program read the file as before. A trash or history table that cannot
// take its copy never stops the delete or the save: it is set aside under a
// dated name and the change goes on; what happened is in TakeKeepingFindings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/listrows.h"
#include "store/notebook.h"
#include "store/storestatus.h"

namespace korvane {

inline constexpr char kTrashTable[] = "korvane_trash";
inline constexpr char kHistoryTable[] = "korvane_history";

// How long deleted records stay in the trash.
inline constexpr int64_t kTrashSeconds = int64_t{30} * 86400;
// The versions of a record always kept, newest first; older ones are thinned.
inline constexpr int64_t kVersionsKept = 50;
// The bound on the whole history's texts.
inline constexpr int64_t kHistoryBytes = int64_t{512} << 20;

// Seconds since 1970 (UTC) now.
int64_t UnixNow();

// Runs `change` in one transaction after `keep`, the statements that copy
// into `table`. When the copy fails for the table's sake, the table is set
// aside and the copy tried once more; when that fails too, the change runs
// alone. Locked, read-only, full or moved notebooks fail as the change would.
StoreResult RunKeeping(const char* table, std::vector<SqlStatement> keep,
                       const std::vector<SqlStatement>& change);

// The statements that copy record `id` into the trash at `now`.
std::vector<SqlStatement> TrashCopy(int64_t id, int64_t now);

// The statements that copy record `id` into the history at `now` when
// `changed` (an SQL condition on mylist's columns, with its values) holds.
std::vector<SqlStatement> HistoryCopy(int64_t id, int64_t now, const std::string& changed,
                                      const SqlValues& changedValues);
// The statement that thins record `id`'s versions: the newest kVersionsKept
// stay; of older ones, the newest of each day stays for a month, the newest
// of each week after that; the rest of the older ones go.
SqlStatement ThinHistory(int64_t id, int64_t now);

// What happened to the trash and history tables since the last call.
struct KeepingFindings {
    std::vector<std::string> setAside;  // tables set aside under these names
    bool copyLost = false;              // a change went on without its copy
    bool Any() const { return copyLost || !setAside.empty(); }
};
KeepingFindings TakeKeepingFindings();

// ---- The trash -----------------------------------------------------------

struct TrashedRecord {
    int64_t trashId = 0;  // the trash's own number of the copy
    int64_t deletedAt = 0;
    RecordKind kind = RecordKind::Note;
    ListRow row;  // as stored; `id` is the record's number
};

struct TrashWindow {
    int64_t total = 0;
    int first = 0;
    std::vector<TrashedRecord> rows;  // newest deletion first
};

// A window of the trash, newest deletion first; an empty trash or none at
// all gives no rows. Needs the notebook open; throws on failure.
TrashWindow ReadTrashWindow(int first, int count);
// Every record of the trash, newest deletion first (for the finder).
std::vector<TrashedRecord> ReadAllTrash();

// Puts a trashed copy back into the list with its number (unless a record
// holds it now), bytes and date, and takes it out of the trash: Done,
// NotFound when there is no such copy, or why not.
StoreResult RestoreFromTrash(int64_t trashId);
// The same for the newest copy of record `id`: the undo of its delete.
StoreResult UndoDelete(int64_t id);
// Removes one copy for good, or all of them.
StoreResult PurgeFromTrash(int64_t trashId);
StoreResult EmptyTrash();
// Removes the copies deleted more than kTrashSeconds before `now`; nothing
// is written when there are none.
StoreResult PurgeOldTrash(int64_t now);

// ---- The history ---------------------------------------------------------

struct RecordVersion {
    int64_t versionId = 0;
    int64_t savedAt = 0;  // when this version was replaced
    std::string title;
    std::string content;
    std::string tel;
    std::string date;  // its own save time (cre_date)
};

// The versions of record `id`, newest first: Done (with none when there is
// no history), or why they could not be read.
struct RecordHistory {
    StoreResult result;
    std::vector<RecordVersion> versions;
};
RecordHistory ReadHistory(int64_t id);

// Makes a version the record's current one as a new save dated `time`: the
// version's values exactly as stored; the current one goes into the history.
StoreResult RestoreVersion(int64_t id, int64_t versionId, const std::string& time,
                           int64_t now = UnixNow());

// Drops the oldest versions while the history's texts take more than
// `maxBytes`; looked at only when the notebook file is larger than that.
StoreResult BoundHistory(int64_t maxBytes = kHistoryBytes);

}  // namespace korvane
