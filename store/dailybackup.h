// The notebook's daily backup: once a day a consistent copy of the working
// notebook goes to hd/backup/glst-YYYY-MM-DD.mysql, read through a connection
// of its own a few pages at a time so that saves are never held up; old
// copies are thinned out to the last seven days and the last four weeks.
//
// The clock may be wrong (set years ahead, put back, jumping), so a backup's
// name is only the day the clock showed. Each copy carries a record of its
// own, the table korvane_backup written into the copy after it was taken:
// a write number one above every backup already in the folder, the clock's
// time and the record count. The write number orders backups by when they
// were really written, whatever the clock said; the notebook's table itself
// is copied as it is, and a backup stays a plain SQLite file.
#pragma once

#include <chrono>
#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "store/sqlitelayer.h"

namespace korvane {

// "glst-YYYY-MM-DD.mysql", the name of the backup taken on `day`.
std::string DailyBackupName(std::chrono::year_month_day day);

// A day as YYYY-MM-DD.
std::string DayText(std::chrono::year_month_day day);

// The local calendar day of a moment.
std::chrono::year_month_day LocalDay(std::chrono::system_clock::time_point moment);

// One backup in the folder, as read from its name and its own record.
struct BackupInfo {
    std::string name;
    std::chrono::year_month_day day;  // from the name: the clock's day when it was written
    int64_t records = 0;
    // The write number of a backup that carries its record; 0 for a copy of
    // an earlier version or one put there by hand, which counts as written
    // before every numbered one.
    int64_t sequence = 0;
    // Seconds since 1970 by the clock of the moment it was written: the
    // record's, or the file's modification time for a copy without record.
    int64_t writtenAt = 0;
};

// True when `a` was written before `b`: by write number, then (copies without
// a number) by modification time, then by name.
bool WrittenBefore(const BackupInfo& a, const BackupInfo& b);

// Which backups stay on `today`. Backups are taken in the order they were
// written; where the day goes back (the clock was put back) or leaps more
// than a year ahead, a new run of days begins, and in each run the newest
// backup of each of its seven latest days and the newest of each of its four
// latest ISO weeks stay, counted from the run's own latest day, so that days
// a wrong clock made up never push out the real ones. So the backup of each
// of the seven latest days up to today that have one always stays. A backup
// dated after today is always kept and counts for nothing, and the newest
// backup that holds records always stays.
std::vector<std::string> BackupsToKeep(std::vector<BackupInfo> backups,
                                       std::chrono::year_month_day today);

// Of backups, the one to offer for a restore: the last written that holds
// records, or the last written when none does; never chosen by its name.
std::optional<BackupInfo> NewestOf(std::vector<BackupInfo> backups);

class DailyBackup {
  public:
    // Written: today's copy is in place. AlreadyDone: there was one. Skipped:
    // nothing to copy (no notebook, or one that never held a record).
    // DiskFull and NameTaken (today's name is held by a folder, a link or a
    // file that is no backup) and Failed are told to the user.
    enum class Outcome { Written, AlreadyDone, Skipped, DiskFull, NameTaken, Failed };

    // `database` is the notebook to copy, `folder` where the copies go (both in
    // the code page). The default pace reads 64 pages, then pauses 5 ms.
    DailyBackup(std::string database, std::string folder, BackupPace pace = {64, 5, 30000});

    // The notebook's own backup: hd/glst.mysql into hd/backup.
    static DailyBackup ForNotebook();

    // Writes today's backup unless there is one: copied to a temporary name,
    // given its record, checked with quick_check, then moved into place;
    // afterwards removes the backups BackupsToKeep no longer keeps. Takes
    // seconds on a large notebook, so it is not for the user-interface thread.
    Outcome Run(std::chrono::system_clock::time_point now) const;

    // The folder the copies go to (code page).
    const std::string& Folder() const { return folder_; }

    // The backups in the folder that are regular files holding the
    // notebook's table; with `checkWhole` only those SQLite also finds whole.
    std::vector<BackupInfo> List(bool checkWhole) const;

    // The backup to offer for a restore (see NewestOf), checked whole.
    std::optional<BackupInfo> NewestGood() const;

    // The full path of a backup in the folder.
    std::string PathOf(const std::string& name) const;

    // Run on a thread of its own. The future's destructor waits for the copy,
    // so keep it (as a member of the window) rather than dropping it at once.
    std::future<Outcome> RunInBackground(std::chrono::system_clock::time_point now) const;

  private:
    Outcome WriteBackup(const std::string& target, std::chrono::system_clock::time_point now) const;
    void Stamp(const std::string& copy, std::chrono::system_clock::time_point now) const;
    void RemoveOldBackups(std::chrono::year_month_day today) const;
    void RemoveStaleTemporaries() const;

    std::string database_;
    std::string folder_;
    BackupPace pace_;
};

}  // namespace korvane
