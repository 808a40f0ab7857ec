#!/bin/sh
# The finder beside the sqlite3 shell, in one run of core_bench: the first
# window of results of a new query over 100,000 notes and 10,000 contacts
# (the index ready, and read whole first), five characters typed in a row,
# and the shell running the unfiltered notes list query over the same
# notebook (process start included). Prints the times and the ratios to the
# shell. Builds nothing.
# Usage: bench/compare_find.sh [build folder]   (default build/release)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
bench="$build/bin/core_bench"
if [ ! -x "$bench" ]; then
  echo "no $bench: build the core_bench target first" >&2
  exit 1
fi
out=$(mktemp /tmp/korvane-bench-find-XXXXXX.csv)
trap 'rm -f "$out"' EXIT
"$bench" --benchmark_filter='FoundWindow|TypedFive|SqliteShell' --benchmark_format=csv \
  2>/dev/null > "$out"
awk -F, '
  /^"BM_/ { name = $1; gsub(/"/, "", name); time[name] = $3; label[name] = $8; order[++n] = name }
  END {
    shell = time["BM_SqliteShellNotesList"]
    printf "%-32s %10s %8s  %s\n", "benchmark", "ms", "/shell", "what"
    for (i = 1; i <= n; ++i) {
      m = order[i]; l = label[m]; gsub(/"/, "", l)
      printf "%-32s %10.2f %8.2f  %s\n", m, time[m], time[m] / shell, l
    }
  }' "$out"
