#!/bin/sh
# OpenQuery over 100,000 rows of the list query beside the sqlite3 shell
# running the same query into /dev/null. Prints both times and the ratio.
# Usage: bench/compare_store.sh [build folder]   (default build/release)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
db=$(mktemp /tmp/korvane-bench-XXXXXX.db)
trap 'rm -f "$db"' EXIT
query="SELECT cre_date,title,content,ID,tel FROM mylist WHERE state=0 ORDER BY cre_date DESC"
sqlite3 "$db" "CREATE TABLE mylist (ID INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT, content TEXT, tel TEXT, state INTEGER, cre_date TEXT);
INSERT INTO mylist(title,content,tel,state,cre_date)
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<100000)
SELECT 'title ' || i, 'body of note ' || i || ' {EM3EM} with some text', '', 0,
printf('2026-%02d-%02d %02d:%02d:%02d', i%12+1, i%28+1, i%24, i%60, i%60) FROM n;"

runs=10
start=$(date +%s%N)
i=0
while [ $i -lt $runs ]; do sqlite3 "$db" "$query" > /dev/null; i=$((i + 1)); done
shell_ms=$(( ($(date +%s%N) - start) / 1000000 / runs ))

layer_ms=$(KORVANE_BENCH_DB="$db" "$build/bin/core_bench" --benchmark_filter=OpenQuery \
  --benchmark_format=csv 2>/dev/null | awk -F, '/OpenQuery/ {printf "%d", $3}')

echo "sqlite3 shell: ${shell_ms} ms per query (process start included)"
echo "OpenQuery:     ${layer_ms} ms per query"
awk -v a="$layer_ms" -v b="$shell_ms" 'BEGIN { printf "ratio layer/shell: %.2f\n", a / b }'
