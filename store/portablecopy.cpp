#include "store/portablecopy.h"

#include <cstdint>
#include <memory>
#include <optional>

#include "base/log.h"
#include "platform/apppaths.h"
#include "platform/files.h"
#include "store/sqlitelayer.h"

namespace korvane {
namespace {

// The notebook beside the program, the user's notebook and the name its copy
// is staged under on the way in (the name the store clears at its open).
struct Notebooks {
    std::string beside = AppPath("hd\\glst.mysql");
    std::string working = DataPath("hd\\glst.mysql");
    std::string staging = DataPath("hd\\glst.mysql.restoring");
};

// The number of records in the notebook open in `db`, read without writing.
int64_t CountRecords(TSQLiteDatabase& db) {
    const auto table = db.OpenQuery("SELECT count(*) FROM mylist");
    return table->GoFirst() ? table->FieldInt64(0) : 0;
}

// Puts a consistent copy of `db` at the working path: Copied, or why not.
TakeOver::Outcome CopyInto(TSQLiteDatabase& db, const Notebooks& files) {
    platform::RemoveFile(files.staging);
    try {
        db.BackupTo(files.staging);
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store,
                  std::string("notebook beside the program not copied: ") + e.what());
        platform::RemoveFile(files.staging);
        return TakeOver::Outcome::NotWritten;
    }
    if (!platform::MoveNoReplace(files.staging, files.working)) {
        platform::RemoveFile(files.staging);
        return TakeOver::Outcome::NotPlaced;
    }
    return TakeOver::Outcome::Copied;
}

// Copies the notebook beside the program, which is known to hold something,
// where the user's folder holds no notebook.
TakeOver CopyOver(const Notebooks& files) {
    TakeOver result{TakeOver::Outcome::Nothing, files.beside, files.working, 0};
    std::unique_ptr<TSQLiteDatabase> db;
    try {
        db = std::make_unique<TSQLiteDatabase>(files.beside, TSQLiteDatabase::Mode::ReadOnly);
        result.records = CountRecords(*db);
    } catch (const std::exception& e) {
        log::Warn(log::Area::Store,
                  std::string("notebook beside the program not read: ") + e.what());
        result.outcome = TakeOver::Outcome::Unreadable;
        return result;
    }
    // Nothing in it: the pristine notebook serves as well.
    if (result.records > 0) result.outcome = CopyInto(*db, files);
    return result;
}

}  // namespace

TakeOver TakeOverNotebookBesideProgram() {
    const Notebooks files;
    if (files.beside == files.working) return {};
    if (platform::FileSize(files.beside).value_or(0) == 0) return {};
    // A working file of no bytes holds nothing and counts as none, as at the open.
    if (platform::FileSize(files.working) == 0) platform::RemoveFile(files.working);
    if (platform::FileExists(files.working)) return {};
    return CopyOver(files);
}

}  // namespace korvane
