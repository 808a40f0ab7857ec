#!/bin/sh
# Md5OfFile over a 256 MiB file beside md5sum on the same file, both reading
# from the page cache. Prints wall and CPU times and the throughput ratio; the
# ratio uses CPU time, which stays meaningful on a busy machine.
# Usage: bench/compare_md5.sh [build folder]   (default build/release)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
file=$(mktemp /tmp/korvane-bench-md5-XXXXXX.bin)
trap 'rm -f "$file"' EXIT
head -c 268435456 /dev/urandom > "$file"
md5sum "$file" > /dev/null  # into the page cache

runs=5
start=$(date +%s%N)
# A child shell runs the loop and reports its children's CPU time, the second
# line of `times` ("1m2.50s 0m0.10s": user, system).
tool_cpu=$(sh -c 'i=0; while [ $i -lt $1 ]; do md5sum "$2" > /dev/null; i=$((i + 1)); done; times' \
  sh "$runs" "$file" | awk -v runs=$runs 'NR == 2 {
  split($1, u, /[ms]/); split($2, s, /[ms]/)
  printf "%d", ((u[1] + s[1]) * 60 + u[2] + s[2]) * 1000 / runs }')
tool_wall=$(( ($(date +%s%N) - start) / 1000000 / runs ))

ours=$(KORVANE_BENCH_MD5_FILE="$file" "$build/bin/core_bench" --benchmark_filter=Md5OfFile \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true --benchmark_format=csv \
  2>/dev/null | awk -F, '/Md5OfFile_median/ {printf "%d %d", $3, $4}')
ours_wall=${ours% *}
ours_cpu=${ours#* }

echo "md5sum:    ${tool_wall} ms wall, ${tool_cpu} ms CPU per 256 MiB (process start included)"
echo "Md5OfFile: ${ours_wall} ms wall, ${ours_cpu} ms CPU per 256 MiB"
awk -v a="$ours_cpu" -v b="$tool_cpu" 'BEGIN {
  printf "MiB/s by CPU time: md5sum %d, Md5OfFile %d\n", 256000 / b, 256000 / a
  printf "throughput ratio Md5OfFile/md5sum: %.2fx\n", b / a }'
