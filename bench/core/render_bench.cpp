// The notes list of 10,000 records: BuildListPage beside the bare list query
// it starts with, on the same rows in the same run, so the cost of the markup
// and the converters shows as the difference.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "render/listpage.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kNotes = 10000;

const char kListQuery[] =
    "SELECT cre_date,title,content,ID,tel FROM mylist WHERE state=0 ORDER BY cre_date DESC, ID "
    "DESC";

// An application folder with a notebook of kNotes notes whose bodies hold
// emoticon tags, line breaks and Chinese text; removed at exit.
class Notebook {
  public:
    Notebook()
        : dir_(fs::temp_directory_path() / ("korvane-bench-render-" + std::to_string(getpid()))) {
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "hd");
        {
            korvane::TSQLiteDatabase db((dir_ / "hd" / "glst.mysql").string());
            db.Execute(
                "CREATE TABLE mylist (ID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT NOT NULL "
                "DEFAULT '', content TEXT NOT NULL DEFAULT '', tel TEXT NOT NULL DEFAULT '', "
                "state INTEGER NOT NULL DEFAULT 0, cre_date TEXT NOT NULL DEFAULT '')");
            db.Execute("CREATE INDEX mylist_state_date ON mylist (state, cre_date)");
            const std::string chinese = korvane::Cp("今天的会议记录，下午三点开始");
            db.Execute(
                "INSERT INTO mylist(title,content,state,cre_date) "
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
                std::to_string(kNotes) + ") SELECT 'note ' || i, '" + chinese +
                "' || char(13,10) || 'line two of note ' || i || ' {EM3EM} and {EM' || (i%30) || "
                "'EM}' || char(13,10) || 'last line <b>bold</b> {EM31EM}', 0, "
                "printf('2026-%02d-%02d %02d:%02d:%02d', i%12+1, i%28+1, i%24, i%60, i%60) FROM n");
        }
        korvane::CloseDatabase();
        korvane::SetApplicationPaths(dir_.string() + "/korvane");
        korvane::OpenDatabase();
    }
    ~Notebook() {
        korvane::CloseDatabase();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

  private:
    fs::path dir_;
};

void UseNotebook() {
    static Notebook notebook;
}

void PerRecord(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kNotes);
    state.counters["per_record"] = benchmark::Counter(
        kNotes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_BuildListPage10k(benchmark::State& state) {
    UseNotebook();
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string page = korvane::BuildListPage(0);
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    PerRecord(state);
    state.counters["page_MiB"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(BM_BuildListPage10k)->Unit(benchmark::kMillisecond);

void BM_ListQuery10k(benchmark::State& state) {
    UseNotebook();
    for (auto _ : state) {
        auto table = korvane::Database()->OpenQuery(kListQuery);
        benchmark::DoNotOptimize(table->RowCount());
    }
    PerRecord(state);
}
BENCHMARK(BM_ListQuery10k)->Unit(benchmark::kMillisecond);

}  // namespace
