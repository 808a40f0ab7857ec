#include "store/notebook.h"

#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <optional>

#include "base/ansitext.h"
#include "base/log.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/fileinfo.h"
#include "platform/files.h"
#include "platform/localtime.h"
#include "platform/readaccess.h"
#include "store/notebookfile.h"
#include "store/readtransaction.h"
#include "store/sqlitelayer.h"

namespace korvane {
namespace {

const char kTable[] = "mylist";

// The count of one kind and the state of the notebook it was taken in.
struct KindCount {
    int64_t dataVersion = -1;  // changes when another connection commits
    int64_t ownChanges = -1;   // changes when this one writes
    int64_t count = 0;
};

// The records the connection changed since a reader last took them.
struct ChangeJournal {
    static constexpr size_t kMaxRecords = 4096;
    std::vector<int64_t> records;
    bool overflowed = false;
    int64_t rows = 0;           // row changes the watcher saw
    int64_t changesAtTake = 0;  // the connection's change count at the last take
};

// The database path and connection: empty until the first successful open,
// then kept for the rest of the process; with the counts the lists last took.
struct Store {
    std::string path;
    std::unique_ptr<TSQLiteDatabase> connection;
    std::optional<platform::FileIdentity> identity;  // the file the connection opened
    std::array<KindCount, 2> counts;
    bool keptDamagedAside = false;  // a damaged file was kept aside and a fresh one made
    bool readOnly = false;          // opened read-only: its text is not UTF-8
    bool listIndexTried = false;    // EnsureListIndex ran for this notebook
    OpenFindings findings;
    uint64_t serial = 0;  // the connection's number, see NotebookVersion
    ChangeJournal journal;
};

Store& State() {
    static Store store;
    return store;
}

// The lists read one kind newest first, a window at a time; without this
// index every window would sort the whole table. A notebook made elsewhere may
// lack it. It is made before the program's first write, never at open: a
// notebook only looked at stays as it was, byte for byte. Adding an index
// changes nothing other readers see; when the file cannot be written now
// (read-only, locked), the lists simply read slower.
void EnsureListIndex(TSQLiteDatabase& db) {
    try {
        if (!db.HasTable(kTable)) return;
        db.Execute("CREATE INDEX IF NOT EXISTS mylist_state_date ON mylist (state, cre_date)");
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store, std::string("list index not made: ") + e.what());
    }
}

// A writer another connection holds up is waited for this long before a
// statement gives up with the lock notice.
constexpr int kBusyTimeoutMs = 3000;

// The files of the notebook, in the code page.
struct Paths {
    std::string working = DataPath("hd\\glst.mysql");
    std::string pristine = AppPath("hd\\glst.mysql.root");       // shipped beside the program
    std::string staging = DataPath("hd\\glst.mysql.restoring");  // a copy on its way in
    std::string incoming = staging + ".backup";                  // a restore's copy, staged
    // A second name of the open notebook: a file deleted or replaced while
    // the program runs lives on under it until the next start.
    std::string second = DataPath("hd\\glst.mysql.open");
};

// Gives the open notebook its second name, afresh for the file now at the
// working path. Where the file system has no second names the notebook
// simply goes without.
void NameOpenNotebook(const Paths& paths) {
    platform::RemoveFile(paths.second);
    if (!platform::AddName(paths.working, paths.second))
        log::Warn(log::Area::Store, "the notebook has no second name here");
}

// Counts the steps of a restore or a write-back and says when to stop.
class Steps {
  public:
    explicit Steps(size_t limit) : limit_(limit) {}
    // True when the next step may run.
    bool Next() { return done_++ < limit_; }

  private:
    size_t limit_;
    size_t done_ = 0;
};

// Local time as YYYYMMDD-HHMMSS, for the names of files kept aside.
std::string TimeStamp() {
    const std::tm local = platform::LocalTime(std::time(nullptr));
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%d-%H%M%S", &local);
    return buffer;
}

// Moves `path` to "<base>.<why>-<time>" (with a counter when that exists) and
// returns the new name; nothing when the file could not be moved.
std::optional<std::string> MoveAside(const std::string& path, const std::string& base,
                                     const std::string& why) {
    const std::string stem = base + "." + why + "-" + TimeStamp();
    for (int n = 1; n <= 100; ++n) {
        const std::string aside = n == 1 ? stem : stem + "-" + std::to_string(n);
        if (platform::MoveNoReplace(path, aside)) return aside;
        if (!platform::FileExists(aside)) return std::nullopt;  // the folder refused
    }
    return std::nullopt;
}

std::optional<std::string> MoveAside(const std::string& path, const std::string& why) {
    return MoveAside(path, path, why);
}

std::unique_ptr<TSQLiteDatabase> Connect(const std::string& path) {
    auto db = std::make_unique<TSQLiteDatabase>(path);
    db->SetBusyTimeout(kBusyTimeoutMs);
    return db;
}

// Numbers the connections of the process; kept apart from the store, which a
// close empties.
uint64_t NextConnectionSerial() {
    static uint64_t serial = 0;
    return ++serial;
}

void Note(ChangeJournal& journal, std::string_view table, int64_t rowid) {
    ++journal.rows;
    if (table != kTable || journal.overflowed) return;
    if (journal.records.size() >= ChangeJournal::kMaxRecords) {
        journal.overflowed = true;
        journal.records.clear();
        return;
    }
    journal.records.push_back(rowid);
}

// Makes `db` the store's connection, with a journal of its own writes.
void Adopt(Store& store, std::unique_ptr<TSQLiteDatabase> db) {
    store.connection = std::move(db);
    store.serial = NextConnectionSerial();
    store.journal = ChangeJournal();
    if (!store.connection) return;
    store.journal.changesAtTake = store.connection->TotalChanges();
    ChangeJournal* journal = &store.journal;
    store.connection->WatchRows(
        [journal](std::string_view table, int64_t rowid) { Note(*journal, table, rowid); });
}

// A copy on its way in (a notebook written back, a backup being restored)
// is left only by a kill, and the open notebook's second name names another
// file than the working one only when that was deleted or replaced while the
// program ran. One that is whole and holds more records than the working
// file is kept aside to be offered; the rest (half a copy, with the journal a
// killed copy leaves) holds nothing to lose and is removed.
void KeepUnfinished(const Paths& paths, OpenFindings& findings) {
    const auto working = ReadNotebookFacts(paths.working, false);
    const int64_t held = working ? working->records : 0;
    // The second name of the file still at the working path holds nothing more.
    const auto identity = platform::IdentityOf(paths.second);
    if (identity && identity == platform::IdentityOf(paths.working))
        platform::RemoveFile(paths.second);
    for (const std::string& copy : {paths.staging, paths.incoming, paths.second}) {
        const platform::EntryKind kind = platform::EntryKindOf(copy);
        if (kind != platform::EntryKind::File) continue;
        const auto facts = ReadNotebookFacts(copy, true);
        if (facts && facts->records > held) {
            const auto aside = MoveAside(copy, paths.working, "unfinished");
            if (aside) findings.unfinished.push_back(*aside);
            continue;  // never removed while it holds more
        }
        platform::RemoveFile(copy);
        platform::RemoveFile(copy + "-journal");
    }
}

// A working file of no bytes holds nothing to lose and counts as missing; a
// missing one is restored from the pristine copy.
void RestoreWhenMissing(const Paths& paths, OpenFindings& findings) {
    if (platform::FileSize(paths.working) == 0) platform::RemoveFile(paths.working);
    KeepUnfinished(paths, findings);
    if (!platform::FileExists(paths.working)) {
        findings.working = OpenFindings::Working::Missing;
        platform::CopyFileDurably(paths.pristine, paths.working, paths.staging);
    }
}

// True only when SQLite says the file is damaged; a file it cannot check now
// (locked, unreadable) is not.
bool IsDamaged(TSQLiteDatabase& db) {
    try {
        return !db.QuickCheckOk();
    } catch (const ESQLiteException& e) {
        return e.PrimaryCode() == SQLITE_CORRUPT || e.PrimaryCode() == SQLITE_NOTADB;
    }
}

// Keeps a damaged working file aside and restores a fresh notebook in its
// place; the connection to it, or null. `findings` say what was done.
std::unique_ptr<TSQLiteDatabase> ReplaceDamaged(const Paths& paths, OpenFindings& findings) {
    findings.working = OpenFindings::Working::Damaged;
    const std::optional<std::string> aside = MoveAside(paths.working, "damaged");
    if (!aside) return nullptr;
    findings.damagedAside = *aside;
    if (!platform::CopyFileDurably(paths.pristine, paths.working, paths.staging)) return nullptr;
    findings.renewed = true;
    return Connect(paths.working);
}

// The connection to a whole working file, or null when there is none.
std::unique_ptr<TSQLiteDatabase> OpenWhole(const Paths& paths, OpenFindings& findings) {
    RestoreWhenMissing(paths, findings);
    if (!platform::FileExists(paths.working)) return nullptr;
    auto db = Connect(paths.working);
    if (!IsDamaged(*db)) return db;
    db.reset();
    return ReplaceDamaged(paths, findings);
}

// Writes the open notebook to a fresh file at the working path and connects
// to it. The copy is staged beside the path and moved in without replacing;
// a kill before the move leaves the whole copy for the next start to offer.
bool WriteBack(Store& store, Steps& steps) {
    const Paths paths;
    platform::RemoveFile(paths.staging);
    if (!steps.Next()) return false;
    try {
        store.connection->BackupTo(paths.staging);
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store, std::string("notebook not written back: ") + e.what());
        platform::RemoveFile(paths.staging);
        return false;
    }
    if (!steps.Next()) return false;
    if (!platform::MoveNoReplace(paths.staging, store.path)) {
        platform::RemoveFile(paths.staging);
        return false;
    }
    try {
        Adopt(store, Connect(store.path));
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store, std::string("written-back notebook not opened: ") + e.what());
        return false;
    }
    store.identity = platform::IdentityOf(store.path);
    store.counts = {};
    NameOpenNotebook(paths);
    return true;
}

// Makes sure the connection writes to the file at the working path. A sync
// tool or a cleaner may delete, move or replace the file while the program
// runs; SQLite would then refuse every write. The open notebook is written
// back and a file that took its place is kept aside. False when that failed.
bool KeepFileInPlace(Store& store, size_t stopAfter = kEverySteps) {
    if (!store.identity) return true;  // nothing was recorded to compare with
    const std::optional<platform::FileIdentity> now = platform::IdentityOf(store.path);
    if (now == store.identity) return true;
    Steps steps(stopAfter);
    if (platform::FileExists(store.path) && !MoveAside(store.path, "replaced")) return false;
    if (!steps.Next()) return false;
    return WriteBack(store, steps);
}

// A restore's copy loses the backup's own record (see DailyBackup), so the
// notebook holds only its own tables again.
bool DropBackupRecord(const std::string& copy) {
    try {
        TSQLiteDatabase db(copy);
        db.Execute("DROP TABLE IF EXISTS korvane_backup");
        return true;
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store, std::string("restored copy not prepared: ") + e.what());
        return false;
    }
}

// Clears the working path for a restore: a notebook that ever held a record
// is kept aside, one that never did is removed.
bool ClearWorkingPath(const Paths& paths) {
    const auto facts = ReadNotebookFacts(paths.working, false);
    const bool keep = platform::EntryKindOf(paths.working) == platform::EntryKind::File &&
                      (!facts || facts->everHeldRecord);
    if (keep) return MoveAside(paths.working, "replaced").has_value();
    return platform::RemoveFile(paths.working);
}

StoreStatus FailureOf(int code) {
    switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return StoreStatus::Locked;
        case SQLITE_READONLY:
            return code == SQLITE_READONLY_DBMOVED ? StoreStatus::Moved : StoreStatus::ReadOnly;
        case SQLITE_FULL:
            return StoreStatus::DiskFull;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return StoreStatus::Damaged;
        default:
            return StoreStatus::Failed;
    }
}

// The program stores GBK bytes as text, which only a UTF-8 file keeps byte for
// byte; a UTF-16 file would turn them into other characters. Such a notebook
// is read over a read-only connection and every save is refused.
void OpenReadOnlyUnlessUtf8(Store& store) {
    const auto encoding = store.connection->OpenQuery("PRAGMA encoding");
    const std::string name = encoding->GoFirst() ? encoding->FieldText(0) : std::string();
    if (name == "UTF-8") return;
    auto db = std::make_unique<TSQLiteDatabase>(store.path, TSQLiteDatabase::Mode::ReadOnly);
    db->SetBusyTimeout(kBusyTimeoutMs);
    Adopt(store, std::move(db));
    store.readOnly = true;
    log::Warn(log::Area::Store, "notebook text encoding is " + name + ": opened read-only");
    store.findings.readOnlyEncoding = name;
}

// Triggers and views the file brings never run (see TSQLiteDatabase); the user
// hears that they are there.
void NoteForeignSchema(Store& store) {
    const auto found = store.connection->OpenQuery(
        "SELECT count(*) FROM sqlite_master WHERE type IN ('trigger', 'view')");
    const int64_t count = found->GoFirst() ? found->FieldInt64(0) : 0;
    if (count == 0) return;
    log::Warn(log::Area::Store,
              "notebook holds " + std::to_string(count) + " triggers or views: they do not run");
    store.findings.foreignSchema = count;
}

// Why the notebook did not open; the store is left closed.
StoreResult NotOpened(Store& store, const std::string& why) {
    log::Warn(log::Area::Store, "notebook not opened: " + why);
    store.path.clear();
    store.connection.reset();
    const Paths paths;
    if (platform::ReadDenied(paths.working)) return {StoreStatus::Unreadable, paths.working, why};
    return {StoreStatus::Missing, {}, why};
}

// The failure the exception being handled stands for.
StoreResult FailureOfCurrentException() {
    try {
        throw;
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store, std::string("statement failed: ") + e.what());
        return {FailureOf(e.Code()), {}, e.what()};
    } catch (const std::exception& e) {
        log::Warn(log::Area::Store, std::string("statement failed: ") + e.what());
        return {StoreStatus::Failed, {}, e.what()};
    } catch (...) {
        log::Warn(log::Area::Store, "statement failed: unknown failure");
        return {StoreStatus::Failed, {}, "unknown failure"};
    }
}

// Undoes the open transaction of a batch that failed; nothing of it stays.
void RollBack(TSQLiteDatabase& db) {
    try {
        db.Execute("ROLLBACK");
    } catch (const ESQLiteException& e) {
        // SQLite has already rolled back after some failures (a full disk).
        log::Warn(log::Area::Store, std::string("rolling back: ") + e.what());
    }
}

// Runs the statements once on the open connection; more than one run in one
// transaction, so that either all of them are written or none.
StoreResult RunOnce(const std::vector<SqlStatement>& statements) {
    TSQLiteDatabase& db = *Database();
    const bool batch = statements.size() > 1;
    bool begun = false;
    try {
        if (!db.HasTable(kTable)) return {StoreStatus::Broken};
        if (batch) db.Execute("BEGIN IMMEDIATE");
        begun = batch;
        for (const SqlStatement& statement : statements)
            db.Execute(statement.text, statement.values);
        if (batch) db.Execute("COMMIT");
        return {};
    } catch (...) {
        if (begun) RollBack(db);
        return FailureOfCurrentException();
    }
}

// Runs `use` once the notebook is open and holds its table; what it throws
// becomes Failed.
StoreResult Guarded(const std::function<void()>& use) {
    try {
        StoreResult opened = OpenNotebook();
        if (!opened.Ok()) return opened;
        if (!Database()->HasTable(kTable)) return {StoreStatus::Broken};
        use();
        return {};
    } catch (const std::exception& e) {
        return {StoreStatus::Failed, {}, e.what()};
    } catch (...) {
        return {StoreStatus::Failed, {}, "unknown failure"};
    }
}

}  // namespace

StoreResult OpenNotebook() {
    Store& store = State();
    if (!store.path.empty()) return {};
    store.keptDamagedAside = false;
    store.readOnly = false;
    store.listIndexTried = false;
    store.findings = OpenFindings();
    try {
        const Paths paths;
        // A file this user may not read is left alone: nothing is restored
        // over it or moved aside.
        if (platform::ReadDenied(paths.working)) return NotOpened(store, "no permission to read");
        Adopt(store, OpenWhole(paths, store.findings));
        if (!store.connection) return NotOpened(store, "no notebook");
        store.keptDamagedAside = store.findings.renewed;
        store.path = paths.working;
        store.identity = platform::IdentityOf(paths.working);
        NameOpenNotebook(paths);
        OpenReadOnlyUnlessUtf8(store);
        NoteForeignSchema(store);
        return {};
    } catch (const std::exception& e) {
        return NotOpened(store, e.what());
    } catch (...) {
        return NotOpened(store, "unknown failure");
    }
}

RestoreResult RestoreFromBackup(const std::string& backup, size_t stopAfter) {
    using Outcome = RestoreResult::Outcome;
    const Paths paths;
    Steps steps(stopAfter);
    CloseDatabase();
    // The notebook is opened again whatever came of the restore.
    const auto ended = [](Outcome outcome, const std::string& path) {
        return RestoreResult{outcome, path, OpenNotebook()};
    };
    // Only a whole file with the notebook's table is put in place: anything
    // else would leave a notebook every start refuses.
    if (!ReadNotebookFacts(backup, true)) return ended(Outcome::NotWhole, backup);
    platform::RemoveFile(paths.staging);
    platform::RemoveFile(paths.incoming);
    const RestoreResult stopped{Outcome::StoppedEarly, {}, {}};
    if (!steps.Next()) return stopped;
    // The copy is staged first, so a failed copy leaves the working file alone.
    const bool copied = platform::CopyFileDurably(backup, paths.incoming, paths.staging);
    if (copied && !steps.Next()) return stopped;
    if (!copied || !DropBackupRecord(paths.incoming)) {
        platform::RemoveFile(paths.incoming);
        return ended(Outcome::NotCopied, paths.incoming);
    }
    if (!steps.Next()) return stopped;
    if (!ClearWorkingPath(paths)) {
        platform::RemoveFile(paths.incoming);
        return ended(Outcome::NotMovedAside, paths.working);
    }
    if (!steps.Next()) return stopped;
    // When the copy cannot be put in place, the open keeps it aside and the
    // next start offers it.
    if (!platform::MoveNoReplace(paths.incoming, paths.working)) {
        return ended(Outcome::NotPlaced, paths.working);
    }
    return ended(Outcome::Restored, {});
}

const OpenFindings& LastOpenFindings() {
    return State().findings;
}

bool KeepNotebookInPlace(size_t stopAfter) {
    if (!OpenNotebook().Ok()) return false;
    return KeepFileInPlace(State(), stopAfter);
}

bool OpenKeptDamagedAside() {
    return State().keptDamagedAside;
}

bool OpenedReadOnly() {
    return State().readOnly;
}

std::string NotebookLockPath() {
    return DataPath("hd\\glst.mysql.lock");
}

int64_t CountOfKind(RecordKind kind) {
    Store& store = State();
    TSQLiteDatabase& db = *store.connection;
    const auto version = db.OpenQuery("PRAGMA data_version");
    version->GoFirst();
    KindCount now{version->FieldInt64(0), db.TotalChanges(), 0};
    KindCount& kept = store.counts[static_cast<size_t>(StateOf(kind))];
    if (kept.dataVersion == now.dataVersion && kept.ownChanges == now.ownChanges) return kept.count;
    const auto counted =
        db.OpenQuery("SELECT count(*) FROM mylist WHERE state=?1", {int32_t{StateOf(kind)}});
    counted->GoFirst();
    now.count = counted->FieldInt64(0);
    kept = now;
    return now.count;
}

NotebookVersion CurrentNotebookVersion() {
    Store& store = State();
    const auto version = store.connection->OpenQuery("PRAGMA data_version");
    version->GoFirst();
    return NotebookVersion{store.serial, version->FieldInt64(0)};
}

RecordChanges TakeRecordChanges() {
    Store& store = State();
    ChangeJournal& journal = store.journal;
    RecordChanges changes;
    const int64_t now = store.connection ? store.connection->TotalChanges() : 0;
    // A change the watcher saw no row of (SQLite empties a table whole
    // without naming its rows) leaves the counts apart.
    changes.all = journal.overflowed || now - journal.changesAtTake != journal.rows;
    if (!changes.all) {
        changes.records = std::move(journal.records);
        std::sort(changes.records.begin(), changes.records.end());
        changes.records.erase(std::unique(changes.records.begin(), changes.records.end()),
                              changes.records.end());
    }
    journal.records.clear();
    journal.overflowed = false;
    journal.rows = 0;
    journal.changesAtTake = now;
    return changes;
}

TSQLiteDatabase* Database() {
    return State().connection.get();
}

bool NotebookIsOpen() {
    return !State().path.empty() && State().connection;
}

int64_t OwnChanges() {
    const Store& store = State();
    return store.connection ? store.connection->TotalChanges() : 0;
}

StoreResult UseNotebook(const std::function<void()>& use) {
    return Guarded(use);
}

StoreResult ReadNotebookAtOnce(const std::function<void()>& read) {
    return Guarded([&read] {
        ReadTransaction transaction(*Database());
        read();
        transaction.Done();
    });
}

const std::string& NotebookPath() {
    return State().path;
}

void CloseDatabase() {
    Store& store = State();
    const bool wasOpen = !store.path.empty();
    store = Store();  // the connection closes first: Windows deletes no open file
    // The second name is only needed while the notebook is open: it goes
    // with the close unless the working path now names another file (the
    // next start then offers what it holds).
    if (!wasOpen) return;
    const Paths paths;
    const auto second = platform::IdentityOf(paths.second);
    if (second && second == platform::IdentityOf(paths.working)) platform::RemoveFile(paths.second);
}

StoreResult RunStatement(const std::string& statement, const SqlValues& values) {
    return RunStatementsAtOnce({{statement, values}});
}

StoreResult RunStatementsAtOnce(const std::vector<SqlStatement>& statements) {
    const StoreResult opened = OpenNotebook();
    if (!opened.Ok()) return opened;
    const bool empty = std::all_of(statements.begin(), statements.end(),
                                   [](const SqlStatement& s) { return Trim(s.text).empty(); });
    if (empty) return {StoreStatus::Empty};
    Store& store = State();
    if (store.readOnly) return {StoreStatus::ReadOnlyEncoding, store.path};
    if (!KeepFileInPlace(store)) return {StoreStatus::Moved};
    if (!store.listIndexTried) {
        store.listIndexTried = true;
        EnsureListIndex(*store.connection);
    }
    StoreResult result = RunOnce(statements);
    // The file may have gone between the check and the write: once more.
    if (result.status == StoreStatus::Moved && KeepFileInPlace(store)) result = RunOnce(statements);
    return result;
}

StoreResult ReadFirstRow(const std::string& query, std::vector<std::string>& fields,
                         size_t columns) {
    const StoreResult opened = OpenNotebook();
    if (!opened.Ok()) return opened;
    try {
        if (!Database()->HasTable(kTable)) return {StoreStatus::Broken};
        const auto table = Database()->OpenQuery(query);
        if (table->RowCount() == 0) return {StoreStatus::NotFound};
        table->GoFirst();
        const int read = std::min<int>(table->ColumnCount(), static_cast<int>(columns));
        for (int i = 0; i < read; ++i) fields.push_back(table->FieldText(i));
        return {};
    } catch (const std::exception& e) {
        // What was read stays; the caller sees the failure.
        log::Warn(log::Area::Store, std::string("record not read: ") + e.what());
        return {StoreStatus::Failed, {}, e.what()};
    } catch (...) {
        log::Warn(log::Area::Store, "record not read: unknown failure");
        return {StoreStatus::Failed, {}, "unknown failure"};
    }
}

std::string ReplaceApostrophes(const std::string& text) {
    static const std::string fullWidth = Cp("＇");
    return ReplaceAll(text, "'", fullWidth);
}

}  // namespace korvane
