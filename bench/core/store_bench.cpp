// OpenQuery over the list query of 100,000 notes. Run with
// bench/compare_store.sh to see it beside the sqlite3 shell on the same file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "store/sqlitelayer.h"

namespace {

const char kListQuery[] =
    "SELECT cre_date,title,content,ID,tel FROM mylist WHERE state=0 ORDER BY cre_date DESC";

// The database file: KORVANE_BENCH_DB if set (the comparison script makes it),
// else a file filled here.
std::string DatabaseFile() {
    if (const char* env = std::getenv("KORVANE_BENCH_DB")) return env;
    const std::string file = "/tmp/korvane-bench-store.db";
    std::remove(file.c_str());
    korvane::TSQLiteDatabase db(file);
    db.Execute(
        "CREATE TABLE mylist (ID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT, content TEXT, "
        "tel TEXT, state INTEGER, cre_date TEXT)");
    db.Execute(
        "INSERT INTO mylist(title,content,tel,state,cre_date) "
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<100000) "
        "SELECT 'title ' || i, 'body of note ' || i || ' {EM3EM} with some text', '', 0, "
        "printf('2026-%02d-%02d %02d:%02d:%02d', i%12+1, i%28+1, i%24, i%60, i%60) FROM n");
    return file;
}

void BM_OpenQueryListOf100k(benchmark::State& state) {
    korvane::TSQLiteDatabase db(DatabaseFile());
    for (auto _ : state) {
        auto table = db.OpenQuery(kListQuery);
        benchmark::DoNotOptimize(table->RowCount());
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_OpenQueryListOf100k)->Unit(benchmark::kMillisecond);

}  // namespace
