// What the history costs the rest of the program: notebooks of 100,000 notes
// without a history and with twenty versions of every note (2,000,000
// versions), side by side in one run. The list's window, the finder's whole
// read and its search, and a save must cost the same in both; the file's
// size of each is reported beside them ("file_MB").
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "render/finder.h"
#include "render/findtext.h"
#include "render/listpage.h"
#include "render/storetexts.h"
#include "store/keeping.h"
#include "store/notebook.h"
#include "store/records.h"
#include "store/sqlitelayer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kNotes = 100000;
constexpr int kVersions = 20;

// The two notebooks, seeded once and removed at exit; Use() opens one.
class Notebooks {
  public:
    Notebooks() { korvane::CloseDatabase(); }
    ~Notebooks() {
        korvane::CloseDatabase();
        for (const auto& [history, dir] : dirs_) {
            std::error_code ignored;
            fs::remove_all(dir, ignored);
        }
    }

    const fs::path& Use(bool history) {
        auto it = dirs_.find(history);
        if (it == dirs_.end()) it = dirs_.emplace(history, Seed(history)).first;
        korvane::CloseDatabase();
        korvane::SetApplicationPaths(it->second.string() + "/korvane");
        korvane::OpenDatabase();
        return it->second;
    }

  private:
    static fs::path Seed(bool history) {
        const fs::path dir =
            fs::temp_directory_path() / ("korvane-bench-keeping-" + std::to_string(getpid()) +
                                         (history ? "-history" : "-plain"));
        fs::remove_all(dir);
        fs::create_directories(dir / "hd");
        korvane::TSQLiteDatabase db((dir / "hd" / "glst.mysql").string());
        db.Execute(
            "CREATE TABLE mylist (ID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT NOT NULL "
            "DEFAULT '', content TEXT NOT NULL DEFAULT '', tel TEXT NOT NULL DEFAULT '', "
            "state INTEGER NOT NULL DEFAULT 0, cre_date TEXT NOT NULL DEFAULT '')");
        db.Execute("CREATE INDEX mylist_state_date ON mylist (state, cre_date)");
        const std::string body = korvane::Cp("下午三点在二楼会议室讨论新版本的发布计划");
        db.Execute(
            "INSERT INTO mylist(title,content,state,cre_date) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
            std::to_string(kNotes) + ") SELECT 'note ' || i, '" + body +
            "' || char(13,10) || 'line {EM' || (i%30) || 'EM}', 0, "
            "datetime(1262304000 + (i/2)*600, 'unixepoch') FROM n");
        if (history) {
            // The tables and index exactly as the store makes them.
            for (const korvane::SqlStatement& s : korvane::HistoryCopy(0, 0, "0", {})) {
                if (s.text.rfind("CREATE", 0) == 0) db.Execute(s.text);
            }
            db.Execute(
                "INSERT INTO korvane_history(record,title,content,tel,state,cre_date,"
                "saved_at) WITH RECURSIVE v(k) AS (SELECT 1 UNION ALL SELECT k+1 FROM v "
                "WHERE k<" +
                std::to_string(kVersions) +
                ") SELECT ID,title,content||' v'||k,tel,state,cre_date,"
                "1700000000+k*86400 FROM mylist, v");
        }
        return dir;
    }

    std::map<bool, fs::path> dirs_;
};

Notebooks& Books() {
    static Notebooks books;
    return books;
}

void Report(benchmark::State& state, const fs::path& dir) {
    state.SetLabel(state.range(0) ? "20 versions of each note" : "no history");
    state.counters["file_MB"] =
        static_cast<double>(fs::file_size(dir / "hd" / "glst.mysql")) / (1 << 20);
}

void BM_KeepingListWindow(benchmark::State& state) {
    const fs::path& dir = Books().Use(state.range(0) != 0);
    for (auto _ : state) {
        const korvane::ListWindow window = korvane::BuildListWindow(0, kNotes / 2, 50);
        benchmark::DoNotOptimize(window.boxes.data());
    }
    Report(state, dir);
}

void BM_KeepingFinderRead(benchmark::State& state) {
    const fs::path& dir = Books().Use(state.range(0) != 0);
    for (auto _ : state) {
        korvane::FindIndex index;
        index.Sync();
        benchmark::DoNotOptimize(index.Entries().data());
    }
    Report(state, dir);
}

void BM_KeepingFind(benchmark::State& state) {
    const fs::path& dir = Books().Use(state.range(0) != 0);
    korvane::FindIndex index;
    index.Sync();
    // Two queries in turn, so neither answer is remembered.
    const std::string one = korvane::FoldQuery("note 4242");
    const std::string other = korvane::FoldQuery("v 17");
    for (auto _ : state) {
        benchmark::DoNotOptimize(index.Matches(one).data());
        benchmark::DoNotOptimize(index.Matches(other).data());
    }
    Report(state, dir);
}

// Each save changes one note's body: a new version for that note.
void BM_KeepingSave(benchmark::State& state) {
    const fs::path& dir = Books().Use(state.range(0) != 0);
    int n = 0;
    for (auto _ : state) {
        const int id = 1 + (n * 7919) % kNotes;
        const korvane::StoreResult saved =
            korvane::SaveRecord(korvane::RecordKind::Note, id,
                                {{"content", "edit " + std::to_string(n)}}, "2026-12-08 12:00:00");
        if (!saved.Ok()) state.SkipWithError("save failed");
        ++n;
    }
    Report(state, dir);
}

BENCHMARK(BM_KeepingListWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeepingFinderRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeepingFind)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeepingSave)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
