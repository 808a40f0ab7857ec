// The daily backup: which copies the thinning keeps and which one a restore
// is offered, whatever the clock said when they were written; real copies of
// a notebook taken once a day beside a program that keeps saving, and the
// files that only look like backups.
#include "store/dailybackup.h"
#include "render/notices.h"
#include "render/storetexts.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"
#include "support/notebook.h"
#include "support/seed.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;
using namespace std::chrono;

namespace korvane {
namespace {

std::string Name(int y, unsigned m, unsigned d) {
    return DailyBackupName(year_month_day{year(y), month(m), day(d)});
}

// Backups written one a day in the order given, each holding `records`.
std::vector<BackupInfo> WrittenOn(const std::vector<year_month_day>& days, int64_t records = 5) {
    std::vector<BackupInfo> backups;
    for (const year_month_day d : days) {
        const int64_t n = static_cast<int64_t>(backups.size()) + 1;
        backups.push_back({DailyBackupName(d), d, records, n, n * 86400});
    }
    return backups;
}

std::vector<year_month_day> DaysFrom(year_month_day first, int count) {
    std::vector<year_month_day> days;
    for (int i = 0; i < count; ++i) days.emplace_back(sys_days(first) + std::chrono::days(i));
    return days;
}

std::set<std::string> Kept(const std::vector<BackupInfo>& backups, year_month_day today) {
    const auto kept = BackupsToKeep(backups, today);
    return {kept.begin(), kept.end()};
}

TEST(BackupRetention, NamesCarryTheDay) {
    EXPECT_EQ(Name(2026, 1, 5), "glst-2026-01-05.mysql");
}

TEST(BackupRetention, SevenNewestDaysAndTheNewestOfFourWeeks) {
    // A backup every day for thirty days up to Tuesday 2026-12-08.
    const auto backups = WrittenOn(DaysFrom(2026y / 11 / 9, 30));
    const std::set<std::string> expected{
        Name(2026, 12, 2),  Name(2026, 12, 3),  Name(2026, 12, 4), Name(2026, 12, 5),
        Name(2026, 12, 6),  Name(2026, 12, 7),  Name(2026, 12, 8),  // the last seven days
        Name(2026, 11, 29), Name(2026, 11, 22),  // Sundays ending the two weeks before
    };
    EXPECT_EQ(Kept(backups, 2026y / 12 / 8), expected);
}

TEST(BackupRetention, WeeksAreIsoWeeksAcrossTheNewYear) {
    std::vector<year_month_day> days{2026y / 12 / 8,  2026y / 12 / 15, 2026y / 12 / 21,
                                     2026y / 12 / 22, 2026y / 12 / 29, 2026y / 12 / 31,
                                     2027y / 1 / 1};
    for (unsigned d = 4; d <= 10; ++d) days.push_back(2027y / 1 / day(d));  // Monday to Sunday
    const std::set<std::string> kept = Kept(WrittenOn(days), 2027y / 1 / 10);
    EXPECT_EQ(kept.size(), 10u);
    // 2026-12-29 (Tue) to 2027-01-01 (Fri) are one ISO week: only Friday stays.
    for (auto n : {Name(2027, 1, 1), Name(2026, 12, 22), Name(2026, 12, 15)})
        EXPECT_TRUE(kept.contains(n)) << n;
    for (auto n : {Name(2026, 12, 31), Name(2026, 12, 29), Name(2026, 12, 21), Name(2026, 12, 8)})
        EXPECT_FALSE(kept.contains(n)) << n;  // the fifth week back goes too
}

// The folder after one start on each of `days`, each writing its day's copy
// unless the name is taken and then thinning the folder as it stands.
std::vector<BackupInfo> AfterStartsOn(const std::vector<year_month_day>& days) {
    std::vector<BackupInfo> folder;
    int64_t written = 0;
    for (const year_month_day today : days) {
        const std::string name = DailyBackupName(today);
        if (std::none_of(folder.begin(), folder.end(), [&](auto& b) { return b.name == name; })) {
            ++written;
            folder.push_back({name, today, 5, written, written * 86400});
        }
        const auto kept = Kept(folder, today);
        std::erase_if(folder, [&](const BackupInfo& b) { return !kept.contains(b.name); });
    }
    return folder;
}

std::set<std::string> NamesIn(const std::vector<BackupInfo>& folder) {
    std::set<std::string> names;
    for (const auto& b : folder) names.insert(b.name);
    return names;
}

// The clock's mistakes, each after the same fourteen real days up to
// 2026-12-08: what the starts on the right clock (December 2026) keep when
// they run alone, stays.
struct ClockMistake {
    const char* name;
    std::vector<year_month_day> days;  // starts after the fourteen real ones
};

class BackupRetentionUnderAWrongClock : public ::testing::TestWithParam<ClockMistake> {};

TEST_P(BackupRetentionUnderAWrongClock, KeepsWhatARightClockKept) {
    std::vector<year_month_day> all = DaysFrom(2026y / 11 / 25, 14);
    all.insert(all.end(), GetParam().days.begin(), GetParam().days.end());
    // The starts on the right clock alone, in December 2026.
    std::vector<year_month_day> real;
    std::copy_if(all.begin(), all.end(), std::back_inserter(real),
                 [](year_month_day d) { return d >= 2026y / 11 / 25 && d <= 2026y / 12 / 31; });
    const std::set<std::string> rightful = NamesIn(AfterStartsOn(real));
    const auto folder = AfterStartsOn(all);
    const std::set<std::string> present = NamesIn(folder);
    for (const auto& name : rightful) EXPECT_TRUE(present.contains(name)) << name << " was deleted";
    // The offer is the backup written last, whatever its name.
    EXPECT_EQ(NewestOf(folder)->name, DailyBackupName(all.back()));
}

std::vector<year_month_day> Then(std::vector<year_month_day> days, year_month_day last) {
    days.push_back(last);
    return days;
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, BackupRetentionUnderAWrongClock,
    ::testing::Values(ClockMistake{"OneStartIn2031ThenNormalDays", {2031y / 6 / 1, 2026y / 12 / 9}},
                      ClockMistake{"SevenFutureDays", DaysFrom(2031y / 6 / 1, 7)},
                      ClockMistake{"SevenFutureDaysThenBack",
                                   Then(DaysFrom(2031y / 6 / 1, 7), 2026y / 12 / 9)},
                      ClockMistake{"TheClockGoesBackAMonth", DaysFrom(2026y / 11 / 1, 9)},
                      ClockMistake{"JumpsBackAndForth",
                                   {2027y / 3 / 1, 2025y / 1 / 1, 2031y / 1 / 1, 2026y / 12 / 9,
                                    2024y / 2 / 29, 2029y / 2 / 28}}),
    [](const auto& info) { return std::string(info.param.name); });

// Random starts: the clock walks on, leaps ahead, goes back; each start writes
// its day's copy of a notebook of random size unless the name is taken, and
// thins the folder. After every start the newest copy of each of the seven
// latest days up to today is there, no copy dated after today was removed,
// the copy written last that holds records is there and is the one offered.
TEST(BackupRetention, PropertyOverRandomClocks) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 100; ++round) {
        std::vector<BackupInfo> folder;
        sys_days clock(2026y / 12 / 1);
        int64_t written = 0;
        for (int start = 0; start < 60; ++start) {
            const int step = std::uniform_int_distribution<int>(0, 19)(random);
            if (step < 12)
                clock += days(1);
            else if (step < 14)
                clock += days(std::uniform_int_distribution<int>(40, 2000)(random));
            else if (step < 16)
                clock -= days(std::uniform_int_distribution<int>(1, 400)(random));
            const year_month_day today(clock);
            const std::vector<BackupInfo> before = folder;
            const bool taken = std::any_of(folder.begin(), folder.end(), [&](auto& b) {
                return b.name == DailyBackupName(today);
            });
            if (!taken) {
                const int64_t records = std::uniform_int_distribution<int>(0, 3)(random) == 0
                                            ? 0
                                            : std::uniform_int_distribution<int>(1, 999)(random);
                folder.push_back({DailyBackupName(today), today, records, ++written, 0});
            }
            const auto kept = Kept(folder, today);
            std::vector<BackupInfo> after;
            for (const auto& b : folder)
                if (kept.contains(b.name)) after.push_back(b);
            // The seven latest days up to today that have a copy.
            std::set<sys_days> days;
            for (const auto& b : folder)
                if (sys_days(b.day) <= clock) days.insert(sys_days(b.day));
            auto latest = days.rbegin();
            for (int n = 0; n < 7 && latest != days.rend(); ++n, ++latest) {
                EXPECT_TRUE(std::any_of(after.begin(), after.end(),
                                        [&](auto& b) { return sys_days(b.day) == *latest; }))
                    << "round " << round << " start " << start;
            }
            for (const auto& b : folder) {
                if (sys_days(b.day) > clock) {
                    EXPECT_TRUE(kept.contains(b.name));
                }
            }
            const auto offered = NewestOf(after);
            const auto newest = NewestOf(folder);
            ASSERT_TRUE(offered && newest);
            EXPECT_EQ(offered->name, newest->name);
            for (const auto& b : after) {
                EXPECT_FALSE(b.records > 0 && WrittenBefore(*offered, b))
                    << "offered " << offered->name << " over the later " << b.name;
            }
            folder = after;
        }
        EXPECT_LT(folder.size(), 80u);
    }
}

// The notebook's own backups: real copies on injected days.
class DailyBackupOfNotebook : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(OpenDatabase(), "1");
        ASSERT_EQ(test::SeedNotes(300), "Done");
    }
    fs::path Folder() const { return app.path() / "hd" / "backup"; }
    fs::path Today() const { return Folder() / DailyBackupName(LocalDay(now)); }
    static system_clock::time_point On(year_month_day d) { return sys_days(d) + hours(12); }
    std::set<std::string> Present() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder()))
            names.insert(entry.path().filename().string());
        return names;
    }

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

TEST_F(DailyBackupOfNotebook, WritesAWholeCopyOnceADayWithItsOwnRecord) {
    const DailyBackup backup = DailyBackup::ForNotebook();
    EXPECT_EQ(backup.Run(now), DailyBackup::Outcome::Written);
    EXPECT_EQ(NotesIn(Today()), 300);
    const std::string first = test::ReadFile(Today());
    ASSERT_EQ(ExecSql("DELETE FROM mylist WHERE ID<100"), "Done");
    EXPECT_EQ(backup.Run(now + minutes(1)), DailyBackup::Outcome::AlreadyDone);
    EXPECT_EQ(test::ReadFile(Today()), first);
    EXPECT_EQ(Present().size(), 1u);
    // The record is a table of its own; the notebook's table is as it was.
    TSQLiteDatabase db(test::CodePagePath(Today()), TSQLiteDatabase::Mode::ReadOnly);
    auto record = db.OpenQuery("SELECT sequence, written_at, day, records FROM korvane_backup");
    record->GoFirst();
    EXPECT_EQ(record->FieldInt64(0), 1);
    EXPECT_EQ(record->FieldInt64(1), system_clock::to_time_t(now));
    EXPECT_EQ(record->FieldInt64(3), 300);
    auto schema = db.OpenQuery("SELECT sql FROM sqlite_master WHERE name='mylist'");
    schema->GoFirst();
    TSQLiteDatabase pristine(test::CodePagePath(test::Pristine(app)),
                             TSQLiteDatabase::Mode::ReadOnly);
    auto original = pristine.OpenQuery("SELECT sql FROM sqlite_master WHERE name='mylist'");
    original->GoFirst();
    EXPECT_EQ(schema->FieldText(0), original->FieldText(0));
}

TEST_F(DailyBackupOfNotebook, AStartIn2031NeverWinsOverTheRealDaysAfterIt) {
    const DailyBackup backup = DailyBackup::ForNotebook();
    ASSERT_EQ(test::SeedNotes(1), "Done");
    ASSERT_EQ(backup.Run(On(2031y / 6 / 1)), DailyBackup::Outcome::Written);
    ASSERT_EQ(test::SeedNotes(4), "Done");
    for (const auto d : DaysFrom(2026y / 12 / 5, 4))
        ASSERT_EQ(backup.Run(On(d)), DailyBackup::Outcome::Written);
    const auto offered = backup.NewestGood();
    ASSERT_TRUE(offered);
    EXPECT_EQ(offered->name, Name(2026, 12, 8));
    EXPECT_EQ(offered->records, 4);
    EXPECT_TRUE(Present().contains(Name(2031, 6, 1)));  // kept all the same
}

TEST_F(DailyBackupOfNotebook, ThinsOldCopiesLeavesOtherFilesAndClearsAKilledOne) {
    const DailyBackup backup = DailyBackup::ForNotebook();
    const sys_days today(LocalDay(now));
    for (int back = 40; back >= 1; --back)
        ASSERT_EQ(backup.Run(now - days(back)), DailyBackup::Outcome::Written);
    test::WriteFile(Folder() / "mine.txt", "mine");
    const fs::path killed = Folder() / (DailyBackupName(year_month_day(today - days(3))) + ".tmp");
    test::WriteFile(killed, "half");

    EXPECT_EQ(backup.Run(now), DailyBackup::Outcome::Written);
    std::set<std::string> expected = Kept(backup.List(false), LocalDay(now));
    expected.insert("mine.txt");
    EXPECT_EQ(Present(), expected);
    EXPECT_LE(Present().size(), 12u);  // 7 days, at most 4 weeks and the foreign file
}

TEST_F(DailyBackupOfNotebook, ANotebookThatNeverHeldARecordIsNotCopied) {
    ASSERT_EQ(ExecSql("DELETE FROM mylist"), "Done");
    CloseDatabase();
    fs::remove(app.Database());
    fs::copy_file(test::Pristine(app), app.Database());
    EXPECT_EQ(DailyBackup::ForNotebook().Run(now), DailyBackup::Outcome::Skipped);
    EXPECT_FALSE(fs::exists(Today()));
}

TEST_F(DailyBackupOfNotebook, SavesGoOnWhileACopyIsTaken) {
    ASSERT_EQ(test::SeedNotes(3000), "Done");
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

// What lies in the backup folder under a backup's name without being one.
struct Impostor {
    const char* name;
    void (*make)(const fs::path& at);
};

class BackupImpostor : public DailyBackupOfNotebook,
                       public ::testing::WithParamInterface<Impostor> {};

TEST_P(BackupImpostor, IsNeverOfferedAndTakingTodaysNameIsTold) {
    const DailyBackup backup = DailyBackup::ForNotebook();
    ASSERT_EQ(backup.Run(On(2026y / 12 / 1)), DailyBackup::Outcome::Written);
    fs::create_directories(Folder());
    GetParam().make(Folder() / Name(2099, 1, 1));  // named newer than the real one
    const auto offered = backup.NewestGood();
    ASSERT_TRUE(offered);
    EXPECT_EQ(offered->name, Name(2026, 12, 1));
    EXPECT_EQ(backup.List(false).size(), 1u);

    // Today's name taken: no copy, and the user hears of it once with the path.
    GetParam().make(Today());
    EXPECT_EQ(backup.Run(now), DailyBackup::Outcome::NameTaken);
    const std::string notice =
        platform::FromCodePage(BackupNotice(backup, DailyBackup::Outcome::NameTaken, now));
    EXPECT_NE(notice.find(DailyBackupName(LocalDay(now))), std::string::npos) << notice;
    EXPECT_NE(notice.find("记事本本身没有受到影响"), std::string::npos);
    EXPECT_TRUE(fs::exists(fs::symlink_status(Today())));  // left as it was
}

std::vector<Impostor> Impostors() {
    std::vector<Impostor> impostors{
        {"Folder", [](const fs::path& at) { fs::create_directories(at); }},
        {"ForeignDatabase",
         [](const fs::path& at) {
             TSQLiteDatabase db(test::CodePagePath(at));
             db.Execute("CREATE TABLE foo (a)");
             db.Execute("INSERT INTO foo VALUES (1)");
         }},
        {"TableWithoutItsColumns",
         [](const fs::path& at) {
             TSQLiteDatabase db(test::CodePagePath(at));
             db.Execute("CREATE TABLE mylist (ID INTEGER PRIMARY KEY, title TEXT)");
             db.Execute("INSERT INTO mylist(title) VALUES ('x')");
         }},
        {"NotADatabase", [](const fs::path& at) { test::WriteFile(at, "garbage"); }},
    };
#ifndef _WIN32
    impostors.push_back(
        {"Fifo", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); }});
    impostors.push_back({"LinkToARealBackup", [](const fs::path& at) {
                             fs::create_symlink(at.parent_path() / Name(2026, 12, 1), at);
                         }});
#endif
    return impostors;
}

INSTANTIATE_TEST_SUITE_P(Files, BackupImpostor, ::testing::ValuesIn(Impostors()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DailyBackupFailure, NoNotebookNoCopy) {
    test::TempDir dir{"backup nothing"};
    const DailyBackup backup(dir.CodePageDir() + "absent.mysql", dir.CodePageDir() + "backup");
    EXPECT_EQ(backup.Run(system_clock::now()), DailyBackup::Outcome::Skipped);
    EXPECT_FALSE(
        fs::exists(dir.path() / "backup" / DailyBackupName(LocalDay(system_clock::now()))));
}

}  // namespace
}  // namespace korvane
