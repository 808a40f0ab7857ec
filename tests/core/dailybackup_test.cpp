// The daily backup: which copies the thinning keeps, and real copies of a
// notebook taken once a day beside a program that keeps saving.
#include "store/dailybackup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "store/SQLiteTable3.h"
#include "store/dbfunc.h"
#include "support/seed.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;
using namespace std::chrono;

namespace korvane {
namespace {

std::string Name(int y, unsigned m, unsigned d) {
    return DailyBackupName(year_month_day{year(y), month(m), day(d)});
}

std::set<std::string> Kept(const std::vector<std::string>& names, year_month_day today) {
    const auto kept = BackupsToKeep(names, today);
    return {kept.begin(), kept.end()};
}

TEST(BackupRetention, NamesCarryTheDay) {
    EXPECT_EQ(Name(2026, 1, 5), "glst-2026-01-05.mysql");
}

TEST(BackupRetention, FewBackupsAreAllKept) {
    const std::vector<std::string> names{Name(2026, 1, 1), Name(2026, 6, 1), Name(2026, 12, 1)};
    EXPECT_EQ(Kept(names, 2026y / 12 / 8), std::set<std::string>(names.begin(), names.end()));
}

TEST(BackupRetention, SevenNewestDaysAndTheNewestOfFourWeeks) {
    // A backup every day for thirty days up to Tuesday 2026-12-08.
    std::vector<std::string> names;
    for (sys_days d = sys_days(2026y / 11 / 9); d <= sys_days(2026y / 12 / 8); d += days(1))
        names.push_back(DailyBackupName(year_month_day(d)));
    const std::set<std::string> expected{
        Name(2026, 12, 2),  Name(2026, 12, 3),  Name(2026, 12, 4), Name(2026, 12, 5),
        Name(2026, 12, 6),  Name(2026, 12, 7),  Name(2026, 12, 8),  // the last seven days
        Name(2026, 11, 29), Name(2026, 11, 22),  // Sundays ending the two weeks before
    };
    EXPECT_EQ(Kept(names, 2026y / 12 / 8), expected);
}

TEST(BackupRetention, WeeksAreIsoWeeksAcrossTheNewYear) {
    std::vector<std::string> names;
    for (unsigned d = 4; d <= 10; ++d) names.push_back(Name(2027, 1, d));  // Monday to Sunday
    // 2026-12-29 (Tue) to 2027-01-01 (Fri) are one ISO week: only Friday stays.
    for (auto n : {Name(2027, 1, 1), Name(2026, 12, 31), Name(2026, 12, 29), Name(2026, 12, 22),
                   Name(2026, 12, 21), Name(2026, 12, 15), Name(2026, 12, 8)})
        names.push_back(n);
    const std::set<std::string> kept = Kept(names, 2027y / 1 / 10);
    EXPECT_EQ(kept.size(), 10u);
    for (auto n : {Name(2027, 1, 1), Name(2026, 12, 22), Name(2026, 12, 15)})
        EXPECT_TRUE(kept.contains(n)) << n;
    for (auto n : {Name(2026, 12, 31), Name(2026, 12, 29), Name(2026, 12, 21), Name(2026, 12, 8)})
        EXPECT_FALSE(kept.contains(n)) << n;  // the fifth week back goes too
}

TEST(BackupRetention, OtherFilesAndFutureDatesAreNeverRemoved) {
    std::vector<std::string> names{"readme.txt", "glst-2026-02-30.mysql", "glst-2026-1-05.mysql",
                                   "glst-2099-01-01.mysql"};
    for (unsigned d = 1; d <= 20; ++d) names.push_back(Name(2026, 3, d));
    const std::set<std::string> kept = Kept(names, 2026y / 3 / 20);
    for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(kept.contains(names[i])) << names[i];
    // The future copy does not take the place of one of the seven days.
    for (unsigned d = 14; d <= 20; ++d) EXPECT_TRUE(kept.contains(Name(2026, 3, d)));
}

class DailyBackupOfNotebook : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(OpenDatabase(), "1");
        ASSERT_EQ(test::SeedNotes(3000), "Done");
    }
    fs::path Folder() const { return app.path() / "hd" / "backup"; }
    fs::path Today() const { return Folder() / DailyBackupName(LocalDay(now)); }

    test::AppFolder app;
    system_clock::time_point now = system_clock::now();
};

int64_t NotesIn(const fs::path& file) {
    TSQLiteDatabase db(test::CodePagePath(file), TSQLiteDatabase::Mode::ReadOnly);
    EXPECT_TRUE(db.QuickCheckOk());
    auto count = db.OpenQuery("SELECT count(*) FROM mylist");
    count->GoFirst();
    return count->FieldInt64(0);
}

TEST_F(DailyBackupOfNotebook, WritesAWholeCopyOnceADay) {
    const DailyBackup backup = DailyBackup::ForNotebook();
    EXPECT_EQ(backup.Run(now), DailyBackup::Outcome::Written);
    EXPECT_EQ(NotesIn(Today()), 3000);
    const std::string first = test::ReadFile(Today());
    ASSERT_EQ(ExecSql("DELETE FROM mylist WHERE ID<100"), "Done");
    EXPECT_EQ(backup.Run(now + minutes(1)), DailyBackup::Outcome::AlreadyDone);
    EXPECT_EQ(test::ReadFile(Today()), first);
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), fs::directory_iterator()), 1);
}

TEST_F(DailyBackupOfNotebook, ThinsOldCopiesAndClearsAKilledOne) {
    fs::create_directories(Folder());
    std::vector<std::string> names{"mine.txt"};
    const sys_days today(LocalDay(now));
    for (int back = 1; back <= 40; ++back)
        names.push_back(DailyBackupName(year_month_day(today - days(back))));
    for (const auto& name : names) test::WriteFile(Folder() / name, "old");
    const fs::path killed = Folder() / (DailyBackupName(year_month_day(today - days(3))) + ".tmp");
    test::WriteFile(killed, "half");

    EXPECT_EQ(DailyBackup::ForNotebook().Run(now), DailyBackup::Outcome::Written);
    names.push_back(DailyBackupName(LocalDay(now)));
    const std::set<std::string> expected = Kept(names, LocalDay(now));
    std::set<std::string> present;
    for (const auto& entry : fs::directory_iterator(Folder()))
        present.insert(entry.path().filename().string());
    EXPECT_EQ(present, expected);
    EXPECT_TRUE(present.contains("mine.txt"));
    EXPECT_LT(present.size(), 13u);  // 7 days, at most 4 weeks and the foreign file
}

TEST_F(DailyBackupOfNotebook, SavesGoOnWhileACopyIsTaken) {
    // A slow pace so that the saves land while the copy is being read.
    const DailyBackup backup((app.CodePageDir() + "hd/glst.mysql"), app.CodePageDir() + "hd/backup",
                             BackupPace{2, 5, 30000});
    auto running = backup.RunInBackground(now);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ExecSql("INSERT INTO mylist(title,state,cre_date) VALUES('during',0,'d')"),
                  "Done");
    }
    EXPECT_EQ(running.get(), DailyBackup::Outcome::Written);
    const int64_t copied = NotesIn(Today());
    EXPECT_GE(copied, 3000);
    EXPECT_LE(copied, 3005);
}

TEST(DailyBackupFailure, NoNotebookNoCopy) {
    test::TempDir dir{"backup nothing"};
    const DailyBackup backup(dir.CodePageDir() + "absent.mysql", dir.CodePageDir() + "backup");
    EXPECT_EQ(backup.Run(system_clock::now()), DailyBackup::Outcome::Failed);
    EXPECT_FALSE(
        fs::exists(dir.path() / "backup" / DailyBackupName(LocalDay(system_clock::now()))));
}

}  // namespace
}  // namespace korvane
