// The notebook file where POSIX allows what Windows does not: an open file
// deleted, moved or replaced, a read-only folder, and a file that cannot be
// written back. The mode checks run in a child process that has given up
// root, since root writes through file modes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "render/notices.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"
#include "support/notebook.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace korvane {
namespace {

using test::ReadFile;
using test::WriteFile;

using test::FilesStartingWith;
using test::InsertNote;
using test::Pristine;
using test::TitlesIn;

// While the program holds the notebook open, something takes the file away;
// the next save writes the open notebook back and then the new note.
class StoreFileTakenAway : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(OpenDatabase(), "1");
        ASSERT_EQ(InsertNote("before"), "Done");
    }
    // After the save, a fresh start reads both notes from hd/glst.mysql.
    void ExpectBothNotesAfterSaving() {
        EXPECT_EQ(InsertNote("after"), "Done");
        CloseDatabase();
        EXPECT_EQ(OpenDatabase(), "1");
        EXPECT_EQ(OpenNotice(), "");
        EXPECT_EQ(TitlesIn(app.Database()), (std::vector<std::string>{"before", "after"}));
        EXPECT_FALSE(fs::exists(app.path() / "hd" / "glst.mysql.restoring"));
    }
    test::AppFolder app;
};

TEST_F(StoreFileTakenAway, Deleted) {
    fs::remove(app.Database());
    ExpectBothNotesAfterSaving();
}

TEST_F(StoreFileTakenAway, RenamedAndTheRenamedFileStays) {
    const fs::path moved = app.path() / "hd" / "moved by a sync tool.mysql";
    fs::rename(app.Database(), moved);
    ExpectBothNotesAfterSaving();
    EXPECT_EQ(TitlesIn(moved), std::vector<std::string>{"before"});
}

TEST_F(StoreFileTakenAway, ReplacedAndTheReplacingFileIsKeptAside) {
    const fs::path other = app.path() / "hd" / "other";
    fs::copy_file(Pristine(app), other);
    {
        TSQLiteDatabase(test::CodePagePath(other))
            .Execute("INSERT INTO mylist(title) VALUES('theirs')");
    }
    const std::string theirs = ReadFile(other);
    fs::rename(other, app.Database());  // replaces the open file, as a sync tool does
    ExpectBothNotesAfterSaving();
    const auto aside = FilesStartingWith(app, "glst.mysql.replaced-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadFile(aside[0]), theirs);
}

// In a child process that has given up root, so the folder's modes hold:
// nothing can be restored or moved, and nothing is touched.
[[noreturn]] void OpenInReadOnlyFolder(const fs::path& hd, const std::string& damaged) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(2);
    if (::access(hd.c_str(), W_OK) == 0) std::_Exit(3);  // the folder must be read-only
    bool ok = OpenDatabase() == texts::DatabaseMissing();
    ok = ok && !fs::exists(hd / "glst.mysql.restoring");
    if (damaged.empty()) {
        ok = ok && !fs::exists(hd / "glst.mysql") && OpenNotice().empty();
    } else {
        ok = ok && ReadFile(hd / "glst.mysql") == damaged && !OpenNotice().empty();
    }
    std::_Exit(ok ? 0 : 1);
}

TEST(StoreRestore, AReadOnlyFolderRestoresNothingAndTouchesNothing) {
    test::AppFolder app;
    const fs::path hd = app.path() / "hd";
    EXPECT_EXIT(OpenInReadOnlyFolder(hd, ""), ::testing::ExitedWithCode(0), "");
    const std::string junk = "not a database, and the folder cannot take another name";
    WriteFile(app.Database(), junk);
    EXPECT_EXIT(OpenInReadOnlyFolder(hd, junk), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadFile(app.Database()), junk);
}

// In a child process that has given up root: the notebook, or the folder on
// its way, is another user's. Nothing opens, nothing is restored over it, and
// every call says that the file cannot be read, where it is, and that nothing
// was changed.
[[noreturn]] void OpenWithoutPermission(const fs::path& db) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(2);
    if (::access(db.c_str(), R_OK) == 0) std::_Exit(3);  // the file must be unreadable
    const std::string unreadable = texts::NotebookUnreadable(test::CodePagePath(db));
    bool ok = OpenDatabase() == unreadable && OpenNotice().empty();
    ok = ok && InsertNote("new") == unreadable;
    std::_Exit(ok ? 0 : 1);
}

TEST(StoreRestore, ANotebookThisUserMayNotReadSaysSoAndStaysAsItWas) {
    test::AppFolder app;
    const fs::path hd = app.path() / "hd";
    fs::copy_file(Pristine(app), app.Database());
    const std::string bytes = ReadFile(app.Database());
    const std::vector<std::string> names = test::NamesIn(hd);
    // Root keeps the file to itself; a user who is not root shuts himself out.
    const fs::perms closed =
        ::geteuid() == 0 ? fs::perms::owner_read | fs::perms::owner_write : fs::perms::none;
    fs::permissions(app.Database(), closed);
    EXPECT_EXIT(OpenWithoutPermission(app.Database()), ::testing::ExitedWithCode(0), "");
    fs::permissions(app.Database(), fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(hd, ::geteuid() == 0 ? fs::perms::owner_all : fs::perms::none);
    EXPECT_EXIT(OpenWithoutPermission(app.Database()), ::testing::ExitedWithCode(0), "");
    fs::permissions(hd, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(ReadFile(app.Database()), bytes);
    EXPECT_EQ(test::NamesIn(hd), names);
}

// In a child process running as the owner of hd/: the file is deleted and the
// folder made read-only, so it cannot be written back; the save says why.
[[noreturn]] void SaveWhenTheFileCannotComeBack(const fs::path& hd) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) std::_Exit(2);
    bool ok = OpenDatabase() == "1" && InsertNote("before") == "Done";
    fs::remove(hd / "glst.mysql");
    fs::permissions(hd, fs::perms::owner_read | fs::perms::owner_exec);
    ok = ok && InsertNote("after") == texts::SaveFailed(texts::SaveFailure::Moved);
    ok = ok && !fs::exists(hd / "glst.mysql.restoring");
    std::_Exit(ok ? 0 : 1);
}

TEST(StoreFileCannotComeBack, TheSaveSaysTheFileWasTakenAway) {
    test::AppFolder app;
    const fs::path hd = app.path() / "hd";
    fs::copy_file(Pristine(app), app.Database());
    ASSERT_EQ(::chown(hd.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chown(app.Database().c_str(), 65534, 65534), 0);
    EXPECT_EXIT(SaveWhenTheFileCannotComeBack(hd), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace korvane
