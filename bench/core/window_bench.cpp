// One window of the notes list (50 records) read and rendered at the head and
// at the end of notebooks of 100, 100,000 and 1,000,000 notes, in one run:
// the cost must stay flat as the notebook grows. Beside it, the rows of the
// same window stepped bare through SQLite (read from the nearer end, the
// count already known), the floor any window read has.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <map>
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

constexpr int kWindow = 50;

// A folder per notebook size, seeded once with notes like a user's and
// removed at exit; Use() points the store at it.
class Notebooks {
  public:
    // The store's own state is made first, so it outlives this at exit.
    Notebooks() { korvane::CloseDatabase(); }
    ~Notebooks() {
        korvane::CloseDatabase();
        for (const auto& [notes, dir] : dirs_) {
            std::error_code ignored;
            fs::remove_all(dir, ignored);
        }
    }

    const fs::path& Use(int notes) {
        auto it = dirs_.find(notes);
        if (it == dirs_.end()) it = dirs_.emplace(notes, Seed(notes)).first;
        korvane::CloseDatabase();
        korvane::SetApplicationPaths(it->second.string() + "/korvane");
        korvane::OpenDatabase();
        return it->second;
    }

  private:
    static fs::path Seed(int notes) {
        const fs::path dir =
            fs::temp_directory_path() /
            ("korvane-bench-window-" + std::to_string(getpid()) + "-" + std::to_string(notes));
        fs::remove_all(dir);
        fs::create_directories(dir / "hd");
        korvane::TSQLiteDatabase db((dir / "hd" / "glst.mysql").string());
        db.Execute(
            "CREATE TABLE mylist (ID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT NOT NULL "
            "DEFAULT '', content TEXT NOT NULL DEFAULT '', tel TEXT NOT NULL DEFAULT '', "
            "state INTEGER NOT NULL DEFAULT 0, cre_date TEXT NOT NULL DEFAULT '')");
        db.Execute("CREATE INDEX mylist_state_date ON mylist (state, cre_date)");
        const std::string body = korvane::Cp("下午三点在二楼会议室讨论新版本的发布计划");
        const std::string mark = korvane::Cp("<span class=\"Tred\">重要</span>");
        db.Execute(
            "INSERT INTO mylist(title,content,state,cre_date) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
            std::to_string(notes) + ") SELECT 'note ' || i, '" + body +
            "' || char(13,10) || 'line {EM' || (i%30) || 'EM}' || char(13,10) || '" + mark +
            "', 0, datetime(1262304000 + (i/2)*600, 'unixepoch') FROM n");
        return dir;
    }

    std::map<int, fs::path> dirs_;
};

Notebooks& Books() {
    static Notebooks books;
    return books;
}

// Where the window starts: 0 the head, 1 the end, 2 the middle (the most
// rows SQLite steps past, half the list).
int FirstOf(int notes, int64_t where) {
    return where == 0 ? 0 : where == 1 ? notes - kWindow : notes / 2;
}

void Label(benchmark::State& state) {
    static const char* const places[] = {"the head", "the end", "the middle"};
    state.SetLabel(std::to_string(state.range(0)) + " notes, " + places[state.range(1)]);
}

void BM_ListWindow(benchmark::State& state) {
    const int notes = static_cast<int>(state.range(0));
    Books().Use(notes);
    const int first = FirstOf(notes, state.range(1));
    for (auto _ : state) {
        const korvane::ListWindow window = korvane::BuildListWindow(0, first, kWindow);
        if (window.boxes.size() != static_cast<size_t>(kWindow))
            state.SkipWithError("short window");
        benchmark::DoNotOptimize(window.boxes.data());
    }
    Label(state);
}

// The window's rows stepped through SQLite directly, nothing rendered.
void BM_BareWindowQuery(benchmark::State& state) {
    const int notes = static_cast<int>(state.range(0));
    const fs::path dir = Books().Use(notes);
    korvane::CloseDatabase();
    sqlite3* db = nullptr;
    sqlite3_open_v2((dir / "hd" / "glst.mysql").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    const bool fromEnd = state.range(1) == 1;
    sqlite3_prepare_v2(db,
                       fromEnd ? "SELECT cre_date,title,content,ID,tel FROM mylist WHERE state=0 "
                                 "ORDER BY cre_date ASC, ID ASC LIMIT ?1 OFFSET ?2"
                               : "SELECT cre_date,title,content,ID,tel FROM mylist WHERE state=0 "
                                 "ORDER BY cre_date DESC, ID DESC LIMIT ?1 OFFSET ?2",
                       -1, &stmt, nullptr);
    const int skip = state.range(1) == 2 ? notes / 2 : 0;
    for (auto _ : state) {
        sqlite3_bind_int(stmt, 1, kWindow);
        sqlite3_bind_int(stmt, 2, skip);
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(stmt, 2));
            ++rows;
        }
        sqlite3_reset(stmt);
        if (rows != kWindow) state.SkipWithError("short window");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    Label(state);
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int notes : {100, 100000, 1000000})
        for (int where : {0, 1, 2}) b->Args({notes, where});
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_ListWindow)->Apply(Sizes);
BENCHMARK(BM_BareWindowQuery)->Apply(Sizes);

}  // namespace
