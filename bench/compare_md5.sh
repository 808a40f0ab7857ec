#!/bin/sh
# Md5OfFile over a 256 MiB file beside md5sum on the same file, both reading
# from the page cache. Prints both times and the throughput ratio.
# Usage: bench/compare_md5.sh [build folder]   (default build/release)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
file=$(mktemp /tmp/korvane-bench-md5-XXXXXX.bin)
trap 'rm -f "$file"' EXIT
head -c 268435456 /dev/urandom > "$file"
cat "$file" > /dev/null

runs=5
md5sum "$file" > /dev/null
start=$(date +%s%N)
i=0
while [ $i -lt $runs ]; do md5sum "$file" > /dev/null; i=$((i + 1)); done
tool_ms=$(( ($(date +%s%N) - start) / 1000000 / runs ))

ours_ms=$(KORVANE_BENCH_MD5_FILE="$file" "$build/bin/core_bench" --benchmark_filter=Md5OfFile \
  --benchmark_format=csv 2>/dev/null | awk -F, '/Md5OfFile/ {printf "%d", $3}')

echo "md5sum:    ${tool_ms} ms per 256 MiB ($(( 256000 / tool_ms )) MiB/s, process start included)"
echo "Md5OfFile: ${ours_ms} ms per 256 MiB ($(( 256000 / ours_ms )) MiB/s)"
awk -v a="$ours_ms" -v b="$tool_ms" 'BEGIN { printf "throughput ratio Md5OfFile/md5sum: %.2fx\n", b / a }'
