// The notebook store: the one database connection, the statements that change
// records and the record load. Nothing here throws, and nothing here speaks to
// the user: calls report a StoreResult or what they found, and the layers
// that show them put them in words (render/storetexts.h, render/notices.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/sqlitelayer.h"
#include "store/storestatus.h"

namespace korvane {

// True when the last open kept a damaged notebook aside and made a fresh one,
// so that a backup may be offered.
bool OpenKeptDamagedAside();

// True when the open notebook is read-only for this program because its text
// encoding is not UTF-8; every statement is then refused (ReadOnlyEncoding).
bool OpenedReadOnly();

// The lock file beside the notebook that the one process writing it holds
// (see platform::WriterLock), in the code page.
std::string NotebookLockPath();

// What the last open found of the working file, beside its notice.
struct OpenFindings {
    enum class Working { Whole, Missing, Damaged };
    Working working = Working::Whole;
    // Copies on their way in that a kill left behind (a notebook written
    // back, a backup being restored), or the open notebook of a program
    // killed after its file was deleted or replaced (kept under a second
    // name, "glst.mysql.open"), holding more records than the working file;
    // kept aside as "glst.mysql.unfinished-<time>" (code page paths).
    std::vector<std::string> unfinished;
    // A damaged working file: where it was kept aside (empty when the folder
    // refused, and then the file was left as it was), and whether a fresh
    // notebook took its place.
    std::string damagedAside;
    bool renewed = false;
    // The text encoding of a notebook opened read-only because it is not
    // UTF-8; empty otherwise.
    std::string readOnlyEncoding;
    // Triggers and views the file holds, which never run.
    int64_t foreignSchema = 0;
};
const OpenFindings& LastOpenFindings();

// The open connection, or null before a successful OpenNotebook.
TSQLiteDatabase* Database();

// True while a notebook is open.
bool NotebookIsOpen();

// Rows this program's connection changed since it connected; 0 when none is open.
int64_t OwnChanges();

// Makes sure the connection exists, restoring the working database from its
// pristine copy when the working file is missing or empty. A working file
// that is damaged is moved aside under a dated name, never overwritten, and a
// fresh notebook is restored in its place. Opening writes nothing to an
// existing notebook. A notebook whose text encoding is not UTF-8 is opened
// read-only. Done, Missing or Unreadable (with its path); what the open did
// or found on the way is in LastOpenFindings().
StoreResult OpenNotebook();

// Opens the notebook, checks that it holds the records table and runs `use`,
// whose reads of the store's rows throw on failure: Done; Missing,
// Unreadable or Broken before `use` ran; Failed (with what failed as the
// detail) when it threw. Readers that turn rows into markup go through this
// and never open the notebook themselves.
StoreResult UseNotebook(const std::function<void()>& use);
// The same with every read of `read` in one read transaction, so that what it
// reads together comes from one state of the file.
StoreResult ReadNotebookAtOnce(const std::function<void()>& read);

// The file the open connection works on (code page); empty when none is open.
// A reader on a thread of its own opens a connection of its own to it.
const std::string& NotebookPath();

// Drops the connection and the remembered path, so the next call opens again
// (used when the application folder changes, as in tests, and at the end of
// the program); the open notebook's second name goes with it.
void CloseDatabase();

// The number of records of a kind, counted once and remembered until the
// notebook changes, by this program or by another. The connection must be
// open; failures throw.
int64_t CountOfKind(RecordKind kind);

// Where the open notebook stands: a reader that keeps copies of its records
// compares this with the state it read them in. It changes when another
// connection commits to the file and when the store connects anew (a restore,
// a notebook written back, a reopen). The connection must be open; throws.
struct NotebookVersion {
    uint64_t connection = 0;  // never the same for two connections of one process
    int64_t dataVersion = -1;
    bool operator==(const NotebookVersion&) const = default;
};
NotebookVersion CurrentNotebookVersion();

// The records this program's connection added, changed or deleted since the
// last call, by record number, each at most once; `all` when they cannot be
// listed (too many, or a change the connection reported no row for), and then
// a copy must be read again whole. Only changes of this connection are
// listed: another's show in CurrentNotebookVersion.
struct RecordChanges {
    bool all = false;
    std::vector<int64_t> records;
};
RecordChanges TakeRecordChanges();

// Ends a restore or a write-back after that many of its steps, as a kill
// would, so that tests can see what the next start finds; kEverySteps runs
// them all.
inline constexpr size_t kEverySteps = static_cast<size_t>(-1);
// How a restore ended. Every outcome but StoppedEarly opens the notebook
// again afterwards (`opened`); `path` is the file a failure names.
struct RestoreResult {
    enum class Outcome {
        Restored,
        NotWhole,       // the file given is not a whole notebook (`path`)
        NotCopied,      // the copy could not be staged (`path`)
        NotMovedAside,  // the working file could not be moved aside (`path`)
        NotPlaced,      // the staged copy could not be put in place (`path`): it is kept aside
        StoppedEarly,   // told to stop early, as a kill would
    };
    Outcome outcome = Outcome::Restored;
    std::string path;
    StoreResult opened;
};

// Puts the notebook file `backup` (a backup, or a copy kept aside) in place of
// the working notebook and opens it. The copy is staged beside the working
// file first, so a failed copy leaves the working file alone; a working file
// that ever held a record is kept aside ("glst.mysql.replaced-<time>"), never
// deleted.
RestoreResult RestoreFromBackup(const std::string& backup, size_t stopAfter = kEverySteps);

// Makes sure the open connection writes to the file at the working path, as
// every statement does first (see RunStatement): true when it does afterwards.
bool KeepNotebookInPlace(size_t stopAfter = kEverySteps);

// Runs one statement that returns no rows: Done, or why it did not run (the
// notebook not open, Broken, ReadOnlyEncoding, or the refusal of the
// statement: Locked, ReadOnly, DiskFull, Damaged, Moved, Failed, Empty).
// Before the statement runs, a working file that was deleted, moved or
// replaced while the program ran is written back from the open connection (a
// file that replaced it is kept aside under a dated name).
StoreResult RunStatement(const std::string& statement, const SqlValues& values = {});

// One statement with its positional parameter values.
struct SqlStatement {
    std::string text;
    SqlValues values;
};

// Runs the statements in one transaction, as RunStatement runs one: Done when
// every one ran, else why not, and then none of them changed the notebook.
StoreResult RunStatementsAtOnce(const std::vector<SqlStatement>& statements);

// Reads the first row of `query` into `fields`, one text per column, at most
// `columns` of them: Done; NotFound when there is no row; Broken, Failed or
// why the notebook is not open otherwise. A failure during the read leaves
// what was read before it.
StoreResult ReadFirstRow(const std::string& query, std::vector<std::string>& fields,
                         size_t columns);

// Every ASCII apostrophe becomes the full-width apostrophe, so user text can
// never end a quoted SQL literal.
std::string ReplaceApostrophes(const std::string& text);

}  // namespace korvane
