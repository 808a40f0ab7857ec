#include "store/dailybackup.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <set>
#include <tuple>
#include <utility>

#include "base/log.h"
#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "platform/fileinfo.h"
#include "platform/files.h"
#include "platform/localtime.h"
#include "store/notebookfile.h"

namespace korvane {

namespace {

using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr size_t kDailyKept = 7;
constexpr size_t kWeeklyKept = 4;
// A leap of the clock further ahead than this between two backups written one
// after the other starts a new run of days: a clock set years ahead, rather
// than a notebook left alone for a while.
constexpr std::chrono::days kLongestGap{366};
constexpr std::string_view kPrefix = "glst-";
constexpr std::string_view kSuffix = ".mysql";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr size_t kNameLength = 21;  // glst-YYYY-MM-DD.mysql

// The day a backup's name carries, or nothing for any other name.
std::optional<year_month_day> DayOfName(const std::string& name) {
    if (name.size() != kNameLength || !name.starts_with(kPrefix) || !name.ends_with(kSuffix))
        return std::nullopt;
    int y = 0;
    unsigned m = 0;
    unsigned d = 0;
    char tail = 0;
    if (std::sscanf(name.c_str() + kPrefix.size(), "%4d-%2u-%2u%c", &y, &m, &d, &tail) != 4 ||
        tail != '.')
        return std::nullopt;
    const year_month_day day{std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)};
    if (!day.ok() || DailyBackupName(day) != name) return std::nullopt;
    return day;
}

// The Monday that starts the ISO week of `day`: two days share an ISO week
// exactly when they share this Monday.
sys_days WeekOf(year_month_day day) {
    const sys_days days{day};
    const unsigned sinceMonday = std::chrono::weekday(days).iso_encoding() - 1;
    return days - std::chrono::days(sinceMonday);
}

using Run = std::vector<const BackupInfo*>;

// The backups written one after the other while the clock went on steadily;
// `backups` in the order they were written, none dated after today.
std::vector<Run> RunsOfDays(const std::vector<const BackupInfo*>& backups) {
    std::vector<Run> runs;
    std::optional<sys_days> last;
    for (const BackupInfo* backup : backups) {
        const sys_days day(backup->day);
        if (!last || day < *last || day - *last > kLongestGap) runs.emplace_back();
        runs.back().push_back(backup);
        last = day;
    }
    return runs;
}

// In one run (days never go back): the newest backup of each of its seven
// latest days and of each of its four latest ISO weeks.
void KeepDaysAndWeeks(const Run& run, std::set<std::string>& kept) {
    std::set<sys_days> days;
    std::set<sys_days> weeks;
    for (auto it = run.rbegin(); it != run.rend(); ++it) {
        const BackupInfo& backup = **it;
        const bool newDay = days.size() < kDailyKept && days.insert(sys_days(backup.day)).second;
        const sys_days week = WeekOf(backup.day);
        const bool newWeek = weeks.size() < kWeeklyKept && weeks.insert(week).second;
        if (newDay || newWeek) kept.insert(backup.name);
    }
}

// The write number and time the backup's own record holds, when it has one.
void ReadRecord(const std::string& path, BackupInfo& info) {
    try {
        TSQLiteDatabase db(path, TSQLiteDatabase::Mode::ReadOnly);
        if (db.HasTable("korvane_backup")) {
            const auto row = db.OpenQuery("SELECT sequence, written_at FROM korvane_backup");
            if (row->RowCount() > 0) {
                row->GoFirst();
                info.sequence = row->FieldInt64(0);
                info.writtenAt = row->FieldInt64(1);
                return;
            }
        }
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store, "backup record of " + info.name + " unread: " + e.what());
    }
    info.writtenAt = platform::ModifiedSeconds(path).value_or(0);
}

}  // namespace

std::string DayText(year_month_day day) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", int(day.year()), unsigned(day.month()),
                  unsigned(day.day()));
    return buffer;
}

std::string DailyBackupName(year_month_day day) {
    return std::string(kPrefix) + DayText(day) + std::string(kSuffix);
}

bool WrittenBefore(const BackupInfo& a, const BackupInfo& b) {
    return std::tie(a.sequence, a.writtenAt, a.name) < std::tie(b.sequence, b.writtenAt, b.name);
}

std::vector<std::string> BackupsToKeep(std::vector<BackupInfo> backups, year_month_day today) {
    std::sort(backups.begin(), backups.end(), WrittenBefore);
    std::set<std::string> kept;
    std::vector<const BackupInfo*> dated;
    for (const BackupInfo& backup : backups) {
        if (sys_days(backup.day) > sys_days(today)) {
            kept.insert(backup.name);  // the clock went back since: kept, counted nowhere
        } else {
            dated.push_back(&backup);
        }
    }
    for (const Run& run : RunsOfDays(dated)) KeepDaysAndWeeks(run, kept);
    if (const auto newest = NewestOf(backups); newest && newest->records > 0)
        kept.insert(newest->name);
    return {kept.begin(), kept.end()};
}

std::optional<BackupInfo> NewestOf(std::vector<BackupInfo> backups) {
    if (backups.empty()) return std::nullopt;
    std::sort(backups.begin(), backups.end(), WrittenBefore);
    for (auto it = backups.rbegin(); it != backups.rend(); ++it) {
        if (it->records > 0) return *it;
    }
    return backups.back();
}

year_month_day LocalDay(std::chrono::system_clock::time_point moment) {
    const std::tm local = platform::LocalTime(std::chrono::system_clock::to_time_t(moment));
    return year_month_day{std::chrono::year(local.tm_year + 1900),
                          std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)),
                          std::chrono::day(static_cast<unsigned>(local.tm_mday))};
}

DailyBackup::DailyBackup(std::string database, std::string folder, BackupPace pace)
    : database_(std::move(database)), folder_(std::move(folder)), pace_(pace) {}

std::string DailyBackup::PathOf(const std::string& name) const {
    return folder_ + platform::PathSeparator() + name;
}

DailyBackup DailyBackup::ForNotebook() {
    return DailyBackup(DataPath("hd\\glst.mysql"), DataPath("hd\\backup"));
}

DailyBackup::Outcome DailyBackup::Run(std::chrono::system_clock::time_point now) const {
    const year_month_day today = LocalDay(now);
    const std::string target = PathOf(DailyBackupName(today));
    if (!platform::EnsureFolder(folder_)) {
        return platform::EntryKindOf(folder_) == platform::EntryKind::Missing ? Outcome::Failed
                                                                              : Outcome::NameTaken;
    }
    switch (platform::EntryKindOf(target)) {
        case platform::EntryKind::Missing:
            break;
        case platform::EntryKind::File:
            return ReadNotebookFacts(target, false) ? Outcome::AlreadyDone : Outcome::NameTaken;
        default:
            return Outcome::NameTaken;
    }
    // A notebook that never held a record has nothing to keep; its copy
    // would only stand beside the backups that do hold records.
    if (!platform::FileExists(database_)) return Outcome::Skipped;
    const auto source = ReadNotebookFacts(database_, false);
    if (source && !source->everHeldRecord) return Outcome::Skipped;
    RemoveStaleTemporaries();
    const Outcome outcome = WriteBackup(target, now);
    if (outcome == Outcome::Written) RemoveOldBackups(today);
    return outcome;
}

std::vector<BackupInfo> DailyBackup::List(bool checkWhole) const {
    std::vector<BackupInfo> backups;
    for (const std::string& name : platform::FileNamesIn(folder_)) {
        const auto day = DayOfName(name);
        if (!day) continue;
        const std::string path = PathOf(name);
        const auto facts = ReadNotebookFacts(path, checkWhole);
        if (!facts) continue;
        BackupInfo info{name, *day, facts->records};
        ReadRecord(path, info);
        backups.push_back(std::move(info));
    }
    return backups;
}

std::optional<BackupInfo> DailyBackup::NewestGood() const {
    std::vector<BackupInfo> backups = List(false);
    // Newest first, those that hold records before those that do not; the
    // first that SQLite finds whole is the one.
    std::sort(backups.begin(), backups.end(), [](const BackupInfo& a, const BackupInfo& b) {
        if ((a.records > 0) != (b.records > 0)) return a.records > 0;
        return WrittenBefore(b, a);
    });
    for (const BackupInfo& backup : backups) {
        if (ReadNotebookFacts(PathOf(backup.name), true)) return backup;
        log::Warn(log::Area::Store, "backup " + backup.name + " is not whole");
    }
    return std::nullopt;
}

std::future<DailyBackup::Outcome> DailyBackup::RunInBackground(
    std::chrono::system_clock::time_point now) const {
    return std::async(std::launch::async, [copy = *this, now] { return copy.Run(now); });
}

DailyBackup::Outcome DailyBackup::WriteBackup(const std::string& target,
                                              std::chrono::system_clock::time_point now) const {
    const std::string temporary = target + std::string(kTemporarySuffix);
    Outcome outcome = Outcome::Failed;
    try {
        {
            TSQLiteDatabase source(database_, TSQLiteDatabase::Mode::ReadOnly);
            source.SetBusyTimeout(pace_.busyLimitMilliseconds);
            source.BackupTo(temporary, pace_);
        }
        Stamp(temporary, now);
        const bool whole =
            TSQLiteDatabase(temporary, TSQLiteDatabase::Mode::ReadOnly).QuickCheckOk();
        if (whole && platform::MoveNoReplace(temporary, target)) return Outcome::Written;
        log::Warn(log::Area::Store,
                  whole ? "backup not moved into place" : "backup copy not whole");
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store, std::string("backup failed: ") + e.what());
        if (e.PrimaryCode() == SQLITE_FULL) outcome = Outcome::DiskFull;
    }
    platform::RemoveFile(temporary);
    platform::RemoveFile(temporary + "-journal");
    return outcome;
}

// Writes the backup's own record into the copy: the next write number in the
// folder, the clock's time and day, the records copied.
void DailyBackup::Stamp(const std::string& copy, std::chrono::system_clock::time_point now) const {
    int64_t sequence = 0;
    for (const BackupInfo& backup : List(false)) sequence = std::max(sequence, backup.sequence);
    TSQLiteDatabase db(copy);
    db.Execute("DROP TABLE IF EXISTS korvane_backup");
    db.Execute(
        "CREATE TABLE korvane_backup (sequence INTEGER NOT NULL, written_at INTEGER NOT NULL, "
        "day TEXT NOT NULL, records INTEGER NOT NULL)");
    db.Execute("INSERT INTO korvane_backup VALUES (?1, ?2, ?3, (SELECT count(*) FROM mylist))",
               {int64_t{sequence + 1}, int64_t{std::chrono::system_clock::to_time_t(now)},
                DayText(LocalDay(now))});
}

void DailyBackup::RemoveOldBackups(year_month_day today) const {
    const std::vector<BackupInfo> backups = List(false);
    const std::vector<std::string> kept = BackupsToKeep(backups, today);
    for (const BackupInfo& backup : backups) {
        if (std::find(kept.begin(), kept.end(), backup.name) == kept.end())
            platform::RemoveFile(PathOf(backup.name));
    }
}

// Copies a killed backup left half-written, with their journals; only this
// program writes them.
void DailyBackup::RemoveStaleTemporaries() const {
    const std::string marker = std::string(kSuffix) + std::string(kTemporarySuffix);
    for (const std::string& name : platform::FileNamesIn(folder_)) {
        if (name.starts_with(kPrefix) && name.find(marker) != std::string::npos &&
            platform::EntryKindOf(PathOf(name)) == platform::EntryKind::File)
            platform::RemoveFile(PathOf(name));
    }
}

}  // namespace korvane
