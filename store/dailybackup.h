// The notebook's daily backup: once a day a consistent copy of the working
// notebook goes to hd/backup/glst-YYYY-MM-DD.mysql, read through a connection
// of its own a few pages at a time so that saves are never held up; old
// copies are thinned out to the last seven days and the last four weeks.
#pragma once

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "store/SQLiteTable3.h"

namespace korvane {

// "glst-YYYY-MM-DD.mysql", the name of the backup taken on `day`.
std::string DailyBackupName(std::chrono::year_month_day day);

// Which of the file names in a backup folder stay on `today`: the seven
// newest backups, and the newest backup of each of the four most recent ISO
// weeks that have one. Names that are no backup's, and backups dated after
// today (the clock went back), are always kept.
std::vector<std::string> BackupsToKeep(const std::vector<std::string>& names,
                                       std::chrono::year_month_day today);

// The local calendar day of a moment.
std::chrono::year_month_day LocalDay(std::chrono::system_clock::time_point moment);

class DailyBackup {
  public:
    enum class Outcome { Written, AlreadyDone, Failed };

    // `database` is the notebook to copy, `folder` where the copies go (both in
    // the code page). The default pace reads 64 pages, then pauses 5 ms.
    DailyBackup(std::string database, std::string folder, BackupPace pace = {64, 5, 30000});

    // The notebook's own backup: hd/glst.mysql into hd/backup.
    static DailyBackup ForNotebook();

    // Writes today's backup unless there is one: copied to a temporary name,
    // checked with quick_check, then moved into place; afterwards removes the
    // backups BackupsToKeep no longer keeps. Takes seconds on a large notebook,
    // so it is not for the user-interface thread.
    Outcome Run(std::chrono::system_clock::time_point now) const;

    // The newest backup in the folder that SQLite finds whole, or nothing.
    std::optional<std::string> NewestGood() const;

    // Run on a thread of its own. The future's destructor waits for the copy,
    // so keep it (as a member of the window) rather than dropping it at once.
    std::future<Outcome> RunInBackground(std::chrono::system_clock::time_point now) const;

  private:
    bool WriteBackup(const std::string& target) const;
    void RemoveOldBackups(std::chrono::year_month_day today) const;
    void RemoveStaleTemporaries() const;
    std::string PathOf(const std::string& name) const;

    std::string database_;
    std::string folder_;
    BackupPace pace_;
};

}  // namespace korvane
