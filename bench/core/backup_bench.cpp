// The daily backup of a notebook of 100,000 notes: at the pace it runs beside
// the program (a few pages, then a pause) and read in one go, so the cost of
// the pauses shows as the difference. Each iteration writes a new copy,
// gives it its record, checks it and thins the folder. And the choice of the
// backup a start offers.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include "platform/codepage.h"
#include "store/dailybackup.h"
#include "store/sqlitelayer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kNotes = 100000;

// A notebook of kNotes notes of about 200 bytes each, removed at exit.
class Notebook {
  public:
    Notebook()
        : dir_(fs::temp_directory_path() / ("korvane-bench-backup-" + std::to_string(getpid()))) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        korvane::TSQLiteDatabase db(File());
        db.Execute(
            "CREATE TABLE mylist (ID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT NOT NULL "
            "DEFAULT '', content TEXT NOT NULL DEFAULT '', tel TEXT NOT NULL DEFAULT '', "
            "state INTEGER NOT NULL DEFAULT 0, cre_date TEXT NOT NULL DEFAULT '')");
        db.Execute("CREATE INDEX mylist_state_date ON mylist (state, cre_date)");
        const std::string body =
            korvane::Cp("下午三点在二楼会议室讨论新版本的发布计划，请各位提前准备");
        const std::string line = korvane::Cp("记得带上笔记本电脑和上周的报告");
        db.Execute(
            "INSERT INTO mylist(title,content,state,cre_date) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
            std::to_string(kNotes) + ") SELECT 'note ' || i, '" + body + "' || char(13,10) || '" +
            line + " {EM' || (i%30) || 'EM}', 0, datetime(1262304000 + i*600, 'unixepoch') FROM n");
    }
    ~Notebook() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::string File() const { return (dir_ / "glst.mysql").string(); }
    std::string Folder() const { return (dir_ / "backup").string(); }
    void ClearFolder() const { fs::remove_all(Folder()); }

  private:
    fs::path dir_;
};

const Notebook& UseNotebook() {
    static const Notebook notebook;
    return notebook;
}

void RunBackups(benchmark::State& state, korvane::BackupPace pace) {
    const Notebook& notebook = UseNotebook();
    const korvane::DailyBackup backup(notebook.File(), notebook.Folder(), pace);
    for (auto _ : state) {
        state.PauseTiming();
        notebook.ClearFolder();
        state.ResumeTiming();
        if (backup.Run(std::chrono::system_clock::now()) != korvane::DailyBackup::Outcome::Written)
            state.SkipWithError("the backup failed");
    }
    state.SetItemsProcessed(state.iterations() * kNotes);
    state.counters["MiB"] = static_cast<double>(fs::file_size(notebook.File())) / (1 << 20);
}

void BM_DailyBackup100kAtBackgroundPace(benchmark::State& state) {
    RunBackups(state, korvane::BackupPace{64, 5, 30000});
}
BENCHMARK(BM_DailyBackup100kAtBackgroundPace)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DailyBackup100kInOneGo(benchmark::State& state) {
    RunBackups(state, korvane::BackupPace{-1, 0, 30000});
}
BENCHMARK(BM_DailyBackup100kInOneGo)->Unit(benchmark::kMillisecond)->UseRealTime();

// The user-interface thread beside the backup running in the background: a
// loop that wakes every millisecond and saves a note every second, as a user
// saving often would. Reports the longest gap between two
// wake-ups and the longest save while one backup runs.
void BM_InterfaceBesideTheBackground100k(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const Notebook& notebook = UseNotebook();
    const korvane::DailyBackup backup(notebook.File(), notebook.Folder());
    korvane::TSQLiteDatabase writer(notebook.File());
    writer.SetBusyTimeout(3000);
    double longestGap = 0;
    double longestSave = 0;
    for (auto _ : state) {
        state.PauseTiming();
        notebook.ClearFolder();
        state.ResumeTiming();
        auto running = backup.RunInBackground(std::chrono::system_clock::now());
        Clock::time_point last = Clock::now();
        Clock::time_point nextSave = last;
        while (running.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
            const Clock::time_point now = Clock::now();
            longestGap =
                std::max(longestGap, std::chrono::duration<double, std::milli>(now - last).count());
            if (now >= nextSave) {
                writer.Execute(
                    "INSERT INTO mylist(title,state,cre_date) VALUES('saved',0,'2030-01-01')");
                const Clock::time_point saved = Clock::now();
                longestSave = std::max(
                    longestSave, std::chrono::duration<double, std::milli>(saved - now).count());
                nextSave = saved + std::chrono::milliseconds(1000);
            }
            last = Clock::now();
        }
        if (running.get() != korvane::DailyBackup::Outcome::Written)
            state.SkipWithError("the backup failed");
    }
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["longest_save_ms"] = longestSave;
}
BENCHMARK(BM_InterfaceBesideTheBackground100k)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// What a start reads to choose the backup it offers, beside a week of
// backups of 100,000 notes: every backup's own record and record count, then
// SQLite's quick check of the chosen one. The offer is asked for only when
// the notebook was missing, damaged or empty.
void BM_ChooseTheOffer100kWeekOfBackups(benchmark::State& state) {
    const Notebook& notebook = UseNotebook();
    const korvane::DailyBackup backup(notebook.File(), notebook.Folder(),
                                      korvane::BackupPace{-1, 0, 30000});
    notebook.ClearFolder();
    const auto first = std::chrono::sys_days(std::chrono::year(2026) / 12 / 1);
    for (int day = 0; day < 7; ++day) {
        if (backup.Run(first + std::chrono::days(day) + std::chrono::hours(12)) !=
            korvane::DailyBackup::Outcome::Written)
            state.SkipWithError("a backup failed");
    }
    for (auto _ : state) {
        const auto offered = backup.NewestGood();
        if (!offered) state.SkipWithError("nothing offered");
        benchmark::DoNotOptimize(offered);
    }
    state.counters["backups"] = static_cast<double>(backup.List(false).size());
}
BENCHMARK(BM_ChooseTheOffer100kWeekOfBackups)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
