// The finder over 100,000 notes and 10,000 contacts, beside the sqlite3 shell
// running the unfiltered notes list query over the same notebook, in one run.
//
//   FirstFoundWindow   the first window (50 boxes) of the results of a new
//                      query, the index ready: a two-character Chinese query,
//                      a Latin word and a telephone fragment;
//   FirstFoundWindowCold  the same with the index read from the notebook
//                      first, as at the first query after the program starts;
//   TypedFiveCharacters  the windows of "k", "ko", "kor", "korv", "korva",
//                      one after the other, as while typing;
//   SqliteShellNotesList  `sqlite3 FILE "SELECT ... ORDER BY ..." > /dev/null`,
//                      process start included.
// bench/compare_find.sh prints the ratios to the shell.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/apppaths.h"
#include "platform/codepage.h"
#include "render/finder.h"
#include "render/storetexts.h"
#include "store/notebook.h"
#include "store/sqlitelayer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kNotes = 100000;
constexpr int kContacts = 10000;
constexpr int kWindow = 50;

// One notebook for the whole run, removed at exit.
class Notebook {
  public:
    Notebook() {
        korvane::CloseDatabase();
        dir_ = fs::temp_directory_path() / ("korvane-bench-find-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "hd");
        Seed();
        korvane::SetApplicationPaths(dir_.string() + "/korvane");
        korvane::OpenDatabase();
    }
    ~Notebook() {
        korvane::CloseDatabase();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path File() const { return dir_ / "hd" / "glst.mysql"; }

  private:
    // Notes like a user's: Chinese titles and bodies with line breaks,
    // emoticons, now and then a formatting span and an English word;
    // contacts with a telephone number and a messenger id.
    void Seed() {
        using korvane::Cp;
        korvane::TSQLiteDatabase db(File().string());
        db.Execute(
            "CREATE TABLE mylist (ID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT NOT NULL "
            "DEFAULT '', content TEXT NOT NULL DEFAULT '', tel TEXT NOT NULL DEFAULT '', "
            "state INTEGER NOT NULL DEFAULT 0, cre_date TEXT NOT NULL DEFAULT '')");
        db.Execute("CREATE INDEX mylist_state_date ON mylist (state, cre_date)");
        db.Execute(
            "INSERT INTO mylist(title,content,state,cre_date) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
            std::to_string(kNotes) + ") SELECT '" + Cp("会议纪要 第") + "' || i || '" + Cp("号") +
            "', '" + Cp("下午三点在二楼会议室讨论新版本的发布计划，请各位提前准备") +
            "' || char(13,10) || '" + Cp("记得带上笔记本电脑和上周的报告") +
            " {EM' || (i%30) || 'EM}' || char(13,10) || CASE WHEN i%7=0 THEN '" +
            Cp("<span class=\"Tred\">重要</span>") + "' ELSE '' END || CASE WHEN i%50=0 THEN " +
            "' Korvane release notes' ELSE '' END || '" + Cp("备注：会后整理纪要发给大家") +
            "', 0, datetime(1262304000 + (i/2)*600, 'unixepoch') FROM n");
        db.Execute(
            "INSERT INTO mylist(title,tel,content,state,cre_date) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
            std::to_string(kContacts) + ") SELECT '" + Cp("联系人") + "' || i, '139' || " +
            "printf('%08d', (i*7919) % 100000000), '" + Cp("同事 ") +
            "{QQ' || (100000+i) || 'QQ}', 1, datetime(1262304000 + i*6000, 'unixepoch') FROM n");
    }

    fs::path dir_;
};

Notebook& Book() {
    static Notebook book;
    return book;
}

const char* const kQueries[] = {"会议纪要", "重要", "KORVANE", "7919"};
const char* const kLabels[] = {"four Chinese characters in every note", "two Chinese characters",
                               "a Latin word", "a telephone fragment"};

void BM_FirstFoundWindow(benchmark::State& state) {
    Book();
    const std::string utf8 = kQueries[state.range(0)];
    korvane::FindIndex index;
    korvane::BuildFoundWindow(index, "x", 0, 0);  // the index is read
    int total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        korvane::BuildFoundWindow(index, "~", 0, 0);  // forgets the last answer
        state.ResumeTiming();
        const korvane::ListWindow window = korvane::BuildFoundWindow(index, utf8, 0, kWindow);
        total = window.total;
        benchmark::DoNotOptimize(window.boxes.data());
    }
    state.SetLabel(std::string(kLabels[state.range(0)]) + " - " + std::to_string(total) + " found");
}
BENCHMARK(BM_FirstFoundWindow)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_FirstFoundWindowCold(benchmark::State& state) {
    Book();
    size_t bytes = 0;
    for (auto _ : state) {
        korvane::FindIndex index;
        const korvane::ListWindow window = korvane::BuildFoundWindow(index, "重要", 0, kWindow);
        benchmark::DoNotOptimize(window.boxes.data());
        state.PauseTiming();
        bytes = index.Entries().capacity() * sizeof(korvane::FindIndex::Entry);
        for (const auto& entry : index.Entries())
            bytes += entry.text.capacity() + entry.date.capacity();
        state.ResumeTiming();
    }
    state.SetLabel("the index read whole first - about " + std::to_string(bytes >> 20) +
                   " MiB of index");
}
BENCHMARK(BM_FirstFoundWindowCold)->Unit(benchmark::kMillisecond)->Iterations(3);

// The first search after start when the program prepared the index in the
// background a moment before: the search itself, the read taken over.
void BM_FirstFoundWindowPrepared(benchmark::State& state) {
    Book();
    for (auto _ : state) {
        state.PauseTiming();
        korvane::FindIndex index;
        index.Prepare();
        while (index.Preparing()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        state.ResumeTiming();
        const korvane::ListWindow window = korvane::BuildFoundWindow(index, "重要", 0, kWindow);
        benchmark::DoNotOptimize(window.boxes.data());
        state.PauseTiming();
        if (index.WholeReads() != 0) state.SkipWithError("the prepared index was not taken");
        state.ResumeTiming();
    }
    state.SetLabel("the index prepared in the background first");
}
BENCHMARK(BM_FirstFoundWindowPrepared)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TypedFiveCharacters(benchmark::State& state) {
    Book();
    korvane::FindIndex index;
    korvane::BuildFoundWindow(index, "x", 0, 0);
    for (auto _ : state) {
        for (const char* typed : {"k", "ko", "kor", "korv", "korva"}) {
            const korvane::ListWindow window = korvane::BuildFoundWindow(index, typed, 0, kWindow);
            benchmark::DoNotOptimize(window.boxes.data());
        }
    }
    state.SetLabel("five windows in a row");
}
BENCHMARK(BM_TypedFiveCharacters)->Unit(benchmark::kMillisecond);

void BM_SqliteShellNotesList(benchmark::State& state) {
    const std::string command = "sqlite3 '" + Book().File().string() +
                                "' 'SELECT cre_date,title,content,ID,tel FROM mylist WHERE state=0 "
                                "ORDER BY cre_date DESC, ID DESC' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("the sqlite3 shell failed");
    }
    state.SetLabel("the unfiltered notes list with process start");
}
BENCHMARK(BM_SqliteShellNotesList)->Unit(benchmark::kMillisecond);

}  // namespace
