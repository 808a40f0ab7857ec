#include "store/dailybackup.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "base/log.h"
#include "platform/apppaths.h"
#include "platform/files.h"
#include "platform/localtime.h"

namespace korvane {

namespace {

using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr size_t kDailyKept = 7;
constexpr size_t kWeeklyKept = 4;
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

}  // namespace

std::string DailyBackupName(year_month_day day) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "glst-%04d-%02u-%02u.mysql", int(day.year()),
                  unsigned(day.month()), unsigned(day.day()));
    return buffer;
}

std::vector<std::string> BackupsToKeep(const std::vector<std::string>& names,
                                       year_month_day today) {
    std::vector<std::string> kept;
    std::vector<std::pair<sys_days, std::string>> dated;
    for (const std::string& name : names) {
        const auto day = DayOfName(name);
        if (!day || sys_days(*day) > sys_days(today)) {
            kept.push_back(name);
        } else {
            dated.emplace_back(sys_days(*day), name);
        }
    }
    std::sort(dated.begin(), dated.end(), std::greater<>());
    std::set<sys_days> weeks;
    for (size_t i = 0; i < dated.size(); ++i) {
        const bool daily = i < kDailyKept;
        const sys_days week = WeekOf(year_month_day(dated[i].first));
        const bool weekly = weeks.size() < kWeeklyKept && !weeks.contains(week);
        if (weekly) weeks.insert(week);
        if (daily || weekly) kept.push_back(dated[i].second);
    }
    return kept;
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
    if (platform::FileExists(target)) return Outcome::AlreadyDone;
    if (!platform::FileExists(database_) || !platform::EnsureFolder(folder_))
        return Outcome::Failed;
    RemoveStaleTemporaries();
    if (!WriteBackup(target)) return Outcome::Failed;
    RemoveOldBackups(today);
    return Outcome::Written;
}

std::optional<std::string> DailyBackup::NewestGood() const {
    std::vector<std::string> names;
    for (const std::string& name : platform::FileNamesIn(folder_)) {
        if (DayOfName(name)) names.push_back(name);
    }
    // The names carry their day as YYYY-MM-DD, so they sort by day.
    std::sort(names.rbegin(), names.rend());
    for (const std::string& name : names) {
        try {
            if (TSQLiteDatabase(PathOf(name), TSQLiteDatabase::Mode::ReadOnly).QuickCheckOk())
                return PathOf(name);
        } catch (const ESQLiteException& e) {
            // A backup that cannot be read is passed over for an older one.
            log::Warn(log::Area::Store, "backup " + name + " unreadable: " + e.what());
        }
    }
    return std::nullopt;
}

std::future<DailyBackup::Outcome> DailyBackup::RunInBackground(
    std::chrono::system_clock::time_point now) const {
    return std::async(std::launch::async, [copy = *this, now] { return copy.Run(now); });
}

bool DailyBackup::WriteBackup(const std::string& target) const {
    const std::string temporary = target + std::string(kTemporarySuffix);
    try {
        {
            TSQLiteDatabase source(database_, TSQLiteDatabase::Mode::ReadOnly);
            source.SetBusyTimeout(pace_.busyLimitMilliseconds);
            source.BackupTo(temporary, pace_);
        }
        const bool whole =
            TSQLiteDatabase(temporary, TSQLiteDatabase::Mode::ReadOnly).QuickCheckOk();
        if (whole && platform::MoveNoReplace(temporary, target)) return true;
        log::Warn(log::Area::Store,
                  whole ? "backup not moved into place" : "backup copy not whole");
    } catch (const ESQLiteException& e) {
        log::Warn(log::Area::Store, std::string("backup failed: ") + e.what());
    }
    platform::RemoveFile(temporary);
    return false;
}

void DailyBackup::RemoveOldBackups(year_month_day today) const {
    const std::vector<std::string> names = platform::FileNamesIn(folder_);
    const std::vector<std::string> kept = BackupsToKeep(names, today);
    for (const std::string& name : names) {
        if (std::find(kept.begin(), kept.end(), name) == kept.end())
            platform::RemoveFile(PathOf(name));
    }
}

// Copies a killed backup left half-written, with their journals; only this
// program writes them.
void DailyBackup::RemoveStaleTemporaries() const {
    const std::string marker = std::string(kSuffix) + std::string(kTemporarySuffix);
    for (const std::string& name : platform::FileNamesIn(folder_)) {
        if (name.starts_with(kPrefix) && name.find(marker) != std::string::npos)
            platform::RemoveFile(PathOf(name));
    }
}

}  // namespace korvane
