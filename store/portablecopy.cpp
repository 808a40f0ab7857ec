#include "store/portablecopy.h"

#include <cstdint>
#include <memory>
#include <optional>

#include "base/log.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
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

// Puts a consistent copy of `db` at the working path; the reason when not.
std::optional<std::string> CopyInto(TSQLiteDatabase& db, const Notebooks& files) {
    platform::RemoveFile(files.staging);
    try {
        db.BackupTo(files.staging);
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store,
                  std::string("notebook beside the program not copied: ") + e.what());
        platform::RemoveFile(files.staging);
        return Cp("无法写入新位置");
    }
    if (!platform::MoveNoReplace(files.staging, files.working)) {
        platform::RemoveFile(files.staging);
        return Cp("无法放到新位置");
    }
    return std::nullopt;
}

// The notice's first sentence: where the data goes now, and why.
std::string Moved() {
    return Cp("本程序所在的文件夹 ") + ApplicationDirectory() +
           Cp(" 不能写入，程序的数据现在保存在 ") + DataDirectory() + Cp("。");
}

std::string CopiedNotice(const Notebooks& files, int64_t records) {
    return Moved() + Cp("原来的记事本 ") + files.beside + Cp("（") + std::to_string(records) +
           Cp(" 条记录）已复制到 ") + files.working +
           Cp("，您的记录都在，今后的修改保存在新位置；原来的文件未做任何改动。");
}

std::string NotCopiedNotice(const Notebooks& files, const std::string& why) {
    return Moved() + Cp("原来的记事本 ") + files.beside + Cp(" 未能复制过来（") + why +
           Cp("），新位置的记事本是新建的；您原来的记录仍完整保存在 ") + files.beside +
           Cp("，该文件未做任何改动。");
}

// The notice for the notebook beside the program, which is known to hold
// something and the user's folder no notebook.
std::string TakeOver(const Notebooks& files) {
    std::unique_ptr<TSQLiteDatabase> db;
    int64_t records = 0;
    try {
        db = std::make_unique<TSQLiteDatabase>(files.beside, TSQLiteDatabase::Mode::ReadOnly);
        records = CountRecords(*db);
    } catch (const std::exception& e) {
        log::Warn(log::Area::Store,
                  std::string("notebook beside the program not read: ") + e.what());
        return NotCopiedNotice(files, Cp("无法读取"));
    }
    if (records == 0) return {};  // nothing in it: the pristine notebook serves as well
    const std::optional<std::string> failed = CopyInto(*db, files);
    return failed ? NotCopiedNotice(files, *failed) : CopiedNotice(files, records);
}

}  // namespace

std::string TakeOverNotebookBesideProgram() {
    const Notebooks files;
    if (files.beside == files.working) return {};
    if (platform::FileSize(files.beside).value_or(0) == 0) return {};
    // A working file of no bytes holds nothing and counts as none, as at the open.
    if (platform::FileSize(files.working) == 0) platform::RemoveFile(files.working);
    if (platform::FileExists(files.working)) return {};
    return TakeOver(files);
}

}  // namespace korvane
