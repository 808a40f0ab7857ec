// The notebook file survives what happens around it: an empty, missing or
// damaged working file, a write-back or a restore killed at any step, and
// other programs holding the database locked.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"
#include "render/notices.h"
#include "render/storetexts.h"
#include "store/dailybackup.h"
#include "store/notebook.h"
#include "store/records.h"
#include "store/restoreoffer.h"
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

// A notebook of many pages, closed, so its file can be damaged.
void WriteBigNotebook(const test::AppFolder& app) {
    ASSERT_EQ(OpenDatabase(), "1");
    ASSERT_EQ(ExecSql("INSERT INTO mylist(title,content,state,cre_date) "
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<400) "
                      "SELECT 'note ' || i, printf('%.1000c', 'x'), 0, 'd' FROM n"),
              "Done");
    CloseDatabase();
    ASSERT_GT(fs::file_size(app.Database()), 100000u);
}

// Opening a damaged file keeps its bytes aside, opens a fresh notebook and
// says so.
void ExpectKeptAsideAndFresh(const test::AppFolder& app, const std::string& damaged) {
    EXPECT_EQ(OpenDatabase(), "1");
    EXPECT_NE(OpenNotice().find(Cp("数据库已损坏")), std::string::npos);
    const auto aside = FilesStartingWith(app, "glst.mysql.damaged-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_NE(OpenNotice().find(test::CodePagePath(aside[0].filename())), std::string::npos);
    EXPECT_EQ(ReadFile(aside[0]), damaged);
    EXPECT_EQ(InsertNote("fresh"), "Done");
    EXPECT_EQ(TitlesIn(app.Database()), std::vector<std::string>{"fresh"});
}

TEST(StoreRestore, AZeroLengthWorkingFileCountsAsMissing) {
    test::AppFolder app;
    WriteFile(app.Database(), "");
    EXPECT_EQ(OpenDatabase(), "1");
    EXPECT_EQ(OpenNotice(), "");
    EXPECT_EQ(ReadFile(app.Database()), ReadFile(Pristine(app)));
    EXPECT_EQ(InsertNote("t"), "Done");
    EXPECT_TRUE(FilesStartingWith(app, "glst.mysql.damaged-").empty());
}

TEST(StoreRestore, AStaleTemporaryIsRemovedAndTheRestoreIsWhole) {
    test::AppFolder app;
    const fs::path stale = app.path() / "hd" / "glst.mysql.restoring";
    WriteFile(stale, "half a copy from a restore that was killed");
    EXPECT_EQ(OpenDatabase(), "1");
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_EQ(ReadFile(app.Database()), ReadFile(Pristine(app)));
}

TEST(StoreRestore, ATruncatedCopyIsKeptAsideAndAFreshNotebookOpens) {
    test::AppFolder app;
    WriteBigNotebook(app);
    fs::resize_file(app.Database(), fs::file_size(app.Database()) / 2);
    const std::string truncated = ReadFile(app.Database());
    ExpectKeptAsideAndFresh(app, truncated);
}

TEST(StoreRestore, ADamagedFileIsKeptAsideNeverOverwritten) {
    test::AppFolder app;
    WriteBigNotebook(app);
    {
        std::fstream file(app.Database(), std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(4096 * 3);
        file << std::string(4096 * 4, '\x5A');  // pages of the table's tree
    }
    const std::string damaged = ReadFile(app.Database());
    ExpectKeptAsideAndFresh(app, damaged);
    CloseDatabase();
    // The next start finds a whole notebook and has nothing to say.
    EXPECT_EQ(OpenDatabase(), "1");
    EXPECT_EQ(OpenNotice(), "");
    EXPECT_EQ(FilesStartingWith(app, "glst.mysql.damaged-").size(), 1u);
}

TEST(StoreRestore, ADamagedNotebookCanBeReplacedByTheNewestGoodBackup) {
    test::AppFolder app;
    ASSERT_EQ(OpenDatabase(), "1");
    ASSERT_EQ(InsertNote("kept in the backup"), "Done");
    CloseDatabase();
    const fs::path backups = app.path() / "hd" / "backup";
    fs::create_directories(backups);
    fs::copy_file(app.Database(), backups / "glst-2026-12-01.mysql");
    WriteFile(backups / "glst-2026-12-02.mysql", "not a database, though newer");
    WriteFile(app.Database(), std::string(8192, 'x'));  // the working file is damaged

    ASSERT_EQ(OpenDatabase(), "1");
    ASSERT_FALSE(OpenNotice().empty());
    EXPECT_EQ(LastOpenFindings().working, OpenFindings::Working::Damaged);
    const auto offer = FindRestoreOffer(DailyBackup::ForNotebook());
    ASSERT_TRUE(offer.has_value());
    EXPECT_EQ(fs::path(platform::NativePath(offer->path)).filename(), "glst-2026-12-01.mysql");
    EXPECT_EQ(offer->records, 1);
    EXPECT_EQ(RestoreText(RestoreFromBackup(offer->path)), "1");
    EXPECT_EQ(InsertNote("after"), "Done");
    EXPECT_EQ(TitlesIn(app.Database()), (std::vector<std::string>{"kept in the backup", "after"}));
    EXPECT_EQ(FilesStartingWith(app, "glst.mysql.damaged-").size(), 1u);  // still kept aside
    EXPECT_FALSE(fs::exists(app.path() / "hd" / "glst.mysql.restoring.backup"));
}

// The titles of a notebook file given by its code-page path.
std::vector<std::string> TitlesAt(const std::string& path) {
    return TitlesIn(fs::path(platform::NativePath(path)));
}

bool HoldsAll(const std::vector<std::string>& held, const std::vector<std::string>& titles) {
    return std::all_of(titles.begin(), titles.end(), [&](const std::string& t) {
        return std::find(held.begin(), held.end(), t) != held.end();
    });
}

// The next start after a kill: every title is in the working notebook, or in
// the file the start offers, and taking the offer brings them all back.
void ExpectKeptOrOffered(const test::AppFolder& app, const std::vector<std::string>& titles) {
    CloseDatabase();
    ASSERT_EQ(OpenDatabase(), "1");
    if (HoldsAll(TitlesIn(app.Database()), titles)) return;
    const auto offer = FindRestoreOffer(DailyBackup::ForNotebook());
    ASSERT_TRUE(offer.has_value()) << "records lost and nothing offered";
    EXPECT_TRUE(HoldsAll(TitlesAt(offer->path), titles)) << offer->path;
    ASSERT_EQ(RestoreText(RestoreFromBackup(offer->path)), "1");
    EXPECT_TRUE(HoldsAll(TitlesIn(app.Database()), titles));
    // The restored notebook holds its own tables only.
    EXPECT_FALSE(Database()->HasTable("korvane_backup"));
}

TEST(StoreRestore, AMissingNotebookIsAQuestionAskedUntilItIsAnswered) {
    test::AppFolder app;
    ASSERT_EQ(InsertNote("one"), "Done");
    ASSERT_EQ(InsertNote("two"), "Done");
    const DailyBackup backup = DailyBackup::ForNotebook();
    ASSERT_EQ(backup.Run(std::chrono::system_clock::now()), DailyBackup::Outcome::Written);
    CloseDatabase();
    fs::remove(app.Database());

    ASSERT_EQ(OpenDatabase(), "1");
    EXPECT_EQ(LastOpenFindings().working, OpenFindings::Working::Missing);
    auto offer = FindRestoreOffer(backup);
    ASSERT_TRUE(offer.has_value());
    EXPECT_EQ(offer->source, RestoreOffer::Source::Backup);
    EXPECT_EQ(offer->records, 2);
    EXPECT_EQ(offer->workingRecords, 0);
    // Killed while asking: the next start asks again, and the day's backup
    // writes no empty copy meanwhile.
    CloseDatabase();
    ASSERT_EQ(OpenDatabase(), "1");
    EXPECT_EQ(LastOpenFindings().working, OpenFindings::Working::Whole);
    offer = FindRestoreOffer(backup);
    ASSERT_TRUE(offer.has_value());
    EXPECT_EQ(offer->records, 2);
    EXPECT_EQ(backup.Run(std::chrono::system_clock::now() + std::chrono::hours(24)),
              DailyBackup::Outcome::Skipped);
    ASSERT_EQ(RestoreText(RestoreFromBackup(offer->path)), "1");
    EXPECT_EQ(TitlesIn(app.Database()), (std::vector<std::string>{"one", "two"}));
    EXPECT_FALSE(FindRestoreOffer(backup).has_value());
}

TEST(StoreRestore, ANotebookEmptiedByTheUserIsNotQuestioned) {
    test::AppFolder app;
    ASSERT_EQ(InsertNote("one"), "Done");
    ASSERT_EQ(DailyBackup::ForNotebook().Run(std::chrono::system_clock::now()),
              DailyBackup::Outcome::Written);
    ASSERT_EQ(ExecSql("DELETE FROM mylist"), "Done");
    CloseDatabase();
    ASSERT_EQ(OpenDatabase(), "1");
    EXPECT_FALSE(FindRestoreOffer(DailyBackup::ForNotebook()).has_value());
}

#ifndef _WIN32
// Windows deletes or replaces no file SQLite holds open, so only here:
// the notebook's file is deleted, or another file takes its place, while the
// program runs; the next save writes the open notebook back, and a kill
// stops it after `GetParam()` steps. Whatever was saved, before the backup
// or after it, is kept or offered at the next start.
class KillDuringWriteBack : public ::testing::TestWithParam<std::tuple<bool, size_t>> {};

TEST_P(KillDuringWriteBack, TheNextStartKeepsOrOffersEveryRecord) {
    const auto [replaced, steps] = GetParam();
    test::AppFolder app;
    ASSERT_EQ(InsertNote("backed up 1"), "Done");
    ASSERT_EQ(InsertNote("backed up 2"), "Done");
    ASSERT_EQ(DailyBackup::ForNotebook().Run(std::chrono::system_clock::now()),
              DailyBackup::Outcome::Written);
    ASSERT_EQ(InsertNote("saved after"), "Done");
    fs::remove(app.Database());
    if (replaced) {
        TSQLiteDatabase other(test::CodePagePath(app.Database()));
        other.Execute(
            "CREATE TABLE mylist (ID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT, "
            "content TEXT, tel TEXT, state INTEGER, cre_date TEXT)");
        other.Execute("INSERT INTO mylist(title) VALUES ('from elsewhere')");
    }
    const bool done = KeepNotebookInPlace(steps);
    EXPECT_EQ(done, steps >= 3);
    ExpectKeptOrOffered(app, {"backed up 1", "backed up 2", "saved after"});
    if (replaced) {
        EXPECT_EQ(FilesStartingWith(app, "glst.mysql.replaced-").size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStep, KillDuringWriteBack,
                         ::testing::Combine(::testing::Bool(),
                                            ::testing::Values(0, 1, 2, 3, kEverySteps)));
#endif

// A backup is restored over the fresh notebook made for a damaged one, and a
// kill stops the restore after `GetParam()` steps.
class KillDuringRestore : public ::testing::TestWithParam<size_t> {};

TEST_P(KillDuringRestore, TheNextStartKeepsOrOffersEveryRecord) {
    test::AppFolder app;
    ASSERT_EQ(InsertNote("backed up 1"), "Done");
    ASSERT_EQ(InsertNote("backed up 2"), "Done");
    const DailyBackup backup = DailyBackup::ForNotebook();
    ASSERT_EQ(backup.Run(std::chrono::system_clock::now()), DailyBackup::Outcome::Written);
    CloseDatabase();
    WriteFile(app.Database(), std::string(8192, 'x'));  // damaged
    ASSERT_EQ(OpenDatabase(), "1");
    const auto offer = FindRestoreOffer(backup);
    ASSERT_TRUE(offer.has_value());
    const std::string result = RestoreText(RestoreFromBackup(offer->path, GetParam()));
    EXPECT_EQ(result, GetParam() >= 4 ? texts::kOpen : kStoppedEarly);
    ExpectKeptOrOffered(app, {"backed up 1", "backed up 2"});
    EXPECT_EQ(FilesStartingWith(app, "glst.mysql.damaged-").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, KillDuringRestore, ::testing::Values(0, 1, 2, 3, 4));

// At a start that found the notebook missing, a file kept aside beside it is
// offered over the newest backup only when it holds more and was written
// after that backup.
TEST(StoreRestore, AFileKeptAsideIsOfferedOnlyWhenNewerAndBiggerThanTheBackup) {
    test::AppFolder app;
    for (const char* title : {"a", "b", "c"}) ASSERT_EQ(InsertNote(title), "Done");
    CloseDatabase();
    const fs::path aside = app.path() / "hd" / "glst.mysql.replaced-20260101-000000";
    fs::copy_file(app.Database(), aside);
    ASSERT_EQ(OpenDatabase(), "1");
    ASSERT_EQ(ExecSql("DELETE FROM mylist WHERE title='c'"), "Done");
    const DailyBackup backup = DailyBackup::ForNotebook();
    ASSERT_EQ(backup.Run(std::chrono::system_clock::now()), DailyBackup::Outcome::Written);
    CloseDatabase();
    fs::remove(app.Database());
    fs::remove(app.path() / "hd" / "glst.mysql.open");

    // Kept aside a year before the backup: the backup is offered.
    fs::last_write_time(aside, fs::file_time_type::clock::now() - std::chrono::hours(24 * 365));
    ASSERT_EQ(OpenDatabase(), "1");
    auto offer = FindRestoreOffer(backup);
    ASSERT_TRUE(offer.has_value());
    EXPECT_EQ(offer->source, RestoreOffer::Source::Backup);
    EXPECT_EQ(offer->records, 2);
    // Written after it, and holding more: the kept file is offered.
    fs::last_write_time(aside, fs::file_time_type::clock::now() + std::chrono::hours(1));
    offer = FindRestoreOffer(backup);
    ASSERT_TRUE(offer.has_value());
    EXPECT_EQ(offer->source, RestoreOffer::Source::KeptAside);
    EXPECT_EQ(offer->records, 3);
    EXPECT_EQ(TitlesAt(offer->path), (std::vector<std::string>{"a", "b", "c"}));
}

// Edits and deletes leave the count as it was: a file kept aside after the
// backup that keeps as many records, those in its trash counted, holds the
// user's later work and is offered over the backup.
TEST(StoreRestore, AKeptFileOfTheSameCountWrittenAfterTheBackupIsOffered) {
    test::AppFolder app;
    for (const char* title : {"a", "b"}) ASSERT_EQ(InsertNote(title), "Done");
    const DailyBackup backup = DailyBackup::ForNotebook();
    ASSERT_EQ(backup.Run(std::chrono::system_clock::now()), DailyBackup::Outcome::Written);
    const auto id = [&app](const char* title) {
        return std::stoll(test::ColumnOf(
            app.Database(), std::string("SELECT ID FROM mylist WHERE title='") + title + "'")[0]);
    };
    ASSERT_TRUE(
        SaveRecord(RecordKind::Note, static_cast<int>(id("b")), {{"title", "b2"}}, "d").Ok());
    ASSERT_TRUE(DeleteRecord(RecordKind::Note, id("a")).Ok());
    CloseDatabase();
    const fs::path aside = app.path() / "hd" / "glst.mysql.replaced-20260101-000000";
    fs::copy_file(app.Database(), aside);
    fs::last_write_time(aside, fs::file_time_type::clock::now() + std::chrono::hours(1));
    fs::remove(app.Database());
    fs::remove(app.path() / "hd" / "glst.mysql.open");

    ASSERT_EQ(OpenDatabase(), "1");
    const auto offer = FindRestoreOffer(backup);
    ASSERT_TRUE(offer.has_value());
    EXPECT_EQ(offer->source, RestoreOffer::Source::KeptAside);
    EXPECT_EQ(offer->records, 1);
    EXPECT_EQ(TitlesAt(offer->path), (std::vector<std::string>{"b2"}));
}

// A file that is no whole notebook is never put in place, whatever asks.
TEST(StoreRestore, AForeignOrDamagedFileIsNeverRestored) {
    test::AppFolder app;
    ASSERT_EQ(InsertNote("mine"), "Done");
    const fs::path foreign = app.path() / "foreign.mysql";
    {
        TSQLiteDatabase db(test::CodePagePath(foreign));
        db.Execute("CREATE TABLE foo (a)");
    }
    const fs::path garbage = app.path() / "garbage.mysql";
    WriteFile(garbage, std::string(8192, 'x'));
    for (const fs::path& file : {foreign, garbage, app.path() / "absent.mysql"}) {
        const std::string refused = RestoreText(RestoreFromBackup(test::CodePagePath(file)));
        EXPECT_NE(refused, texts::kOpen);
        EXPECT_NE(refused.find(test::CodePagePath(file)), std::string::npos);
        EXPECT_NE(platform::FromCodePage(refused).find("记事本没有改动"), std::string::npos);
        EXPECT_EQ(TitlesIn(app.Database()), std::vector<std::string>{"mine"});
    }
}

// A restore over a notebook that holds records keeps that notebook aside.
TEST(StoreRestore, ARestoreNeverDeletesANotebookThatHeldRecords) {
    test::AppFolder app;
    ASSERT_EQ(InsertNote("in the backup"), "Done");
    ASSERT_EQ(DailyBackup::ForNotebook().Run(std::chrono::system_clock::now()),
              DailyBackup::Outcome::Written);
    ASSERT_EQ(ExecSql("DELETE FROM mylist"), "Done");
    ASSERT_EQ(InsertNote("only here"), "Done");
    const auto newest = DailyBackup::ForNotebook().NewestGood();
    ASSERT_TRUE(newest.has_value());
    ASSERT_EQ(RestoreText(RestoreFromBackup(DailyBackup::ForNotebook().PathOf(newest->name))), "1");
    EXPECT_EQ(TitlesIn(app.Database()), std::vector<std::string>{"in the backup"});
    const auto aside = FilesStartingWith(app, "glst.mysql.replaced-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(TitlesIn(aside[0]), std::vector<std::string>{"only here"});
}

// Another program writing the notebook: a save waits for it a while.
class StoreLockedByAnother : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(InsertNote("committed"), "Done");
        ASSERT_EQ(sqlite3_open(test::Utf8(app.Database()).c_str(), &other), SQLITE_OK);
        ASSERT_EQ(
            sqlite3_exec(other, "BEGIN EXCLUSIVE; DELETE FROM mylist;", nullptr, nullptr, nullptr),
            SQLITE_OK);
    }
    void TearDown() override { sqlite3_close(other); }
    test::AppFolder app;
    sqlite3* other = nullptr;
};

TEST_F(StoreLockedByAnother, ASaveWaitsForALockReleasedSoon) {
    std::thread releaser([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    });
    const std::string result = InsertNote("waited");
    releaser.join();
    EXPECT_EQ(result, "Done");
    EXPECT_EQ(TitlesIn(app.Database()), (std::vector<std::string>{"committed", "waited"}));
}

TEST_F(StoreLockedByAnother, ASaveGivesUpWithTheLockNoticeAndLosesNothing) {
    EXPECT_EQ(InsertNote("blocked"), texts::SaveFailed(texts::SaveFailure::Locked));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    EXPECT_EQ(TitlesIn(app.Database()), std::vector<std::string>{"committed"});
}

TEST(StoreNotices, EveryFailureHasItsOwnNonEmptyChineseText) {
    std::vector<std::string> seen;
    for (auto why :
         {texts::SaveFailure::Locked, texts::SaveFailure::ReadOnly, texts::SaveFailure::DiskFull,
          texts::SaveFailure::Damaged, texts::SaveFailure::Moved, texts::SaveFailure::Failed,
          texts::SaveFailure::Empty}) {
        const std::string text = platform::FromCodePage(texts::SaveFailed(why));
        EXPECT_NE(text.find("保存失败"), std::string::npos);
        EXPECT_NE(text.find("仍保留"), std::string::npos);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), text), 0);
        seen.push_back(text);
    }
}

TEST(SqliteFailures, CarryTheirResultCode) {
    test::TempDir dir{"sqlite codes"};
    const std::string file = dir.CodePageDir() + "t.db";
    TSQLiteDatabase db(file);
    try {
        db.Execute("INSERT INTO nowhere VALUES(1)");
        ADD_FAILURE() << "no exception";
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(e.Code(), SQLITE_ERROR);
    }
    db.Execute("CREATE TABLE t (a)");
    db.Execute("INSERT INTO t VALUES (1)");
    WriteFile(dir.path() / "junk", std::string(4096, 'j'));
    TSQLiteDatabase junk(dir.CodePageDir() + "junk");
    try {
        junk.QuickCheckOk();
        ADD_FAILURE() << "no exception";
    } catch (const ESQLiteException& e) {
        EXPECT_EQ(e.PrimaryCode(), SQLITE_NOTADB);
    }
}

TEST(SqliteBackup, CopiesAWholeDatabaseStepByStep) {
    test::TempDir dir{"sqlite backup"};
    TSQLiteDatabase db(dir.CodePageDir() + "source.db");
    db.Execute("CREATE TABLE t (a)");
    db.Execute(
        "INSERT INTO t WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE "
        "i<2000) SELECT printf('%.200c', 'x') FROM n");
    db.BackupTo(dir.CodePageDir() + "copy.db", BackupPace{8, 1});
    TSQLiteDatabase copy(dir.CodePageDir() + "copy.db", TSQLiteDatabase::Mode::ReadOnly);
    EXPECT_TRUE(copy.QuickCheckOk());
    auto count = copy.OpenQuery("SELECT count(*) FROM t");
    count->GoFirst();
    EXPECT_EQ(count->FieldInt64(0), 2000);
}

// Another program saving all the time restarts a paced copy again and again;
// the copy still ends, taking the rest at once when it has run too long.
TEST(SqliteBackup, EndsWhileAnotherConnectionKeepsWriting) {
    test::TempDir dir{"sqlite backup busy"};
    const std::string source = dir.CodePageDir() + "source.db";
    TSQLiteDatabase db(source);
    db.Execute("CREATE TABLE t (a)");
    db.Execute(
        "INSERT INTO t WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE "
        "i<2000) SELECT printf('%.200c', 'x') FROM n");
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        TSQLiteDatabase other(source);
        other.SetBusyTimeout(3000);
        while (!stop) {
            other.Execute("INSERT INTO t VALUES ('more')");
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    db.BackupTo(dir.CodePageDir() + "copy.db", BackupPace{1, 1, 30000, 300});
    stop = true;
    writer.join();
    TSQLiteDatabase copy(dir.CodePageDir() + "copy.db", TSQLiteDatabase::Mode::ReadOnly);
    EXPECT_TRUE(copy.QuickCheckOk());
    auto count = copy.OpenQuery("SELECT count(*) FROM t");
    count->GoFirst();
    EXPECT_GE(count->FieldInt64(0), 2000);
}

}  // namespace
}  // namespace korvane
