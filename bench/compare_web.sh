#!/bin/sh
# The notes list of the real program at notebooks of 100, 10,000, 100,000 and
# 1,000,000 notes, side by side: launch, a show after a hide, the refresh after
# a save, End, memory after three refreshes, the longest frame while the wheel
# scrolls through 10,000 notes, whether the page's process ever ended, the
# time of a list window from the page's request until it is painted, and the
# crossings between the program and the page per list window and per refresh.
# Prints the figures and the ratios of 100,000 notes against 100. Builds
# nothing.
# Usage: bench/compare_web.sh [build folder] [--runs N] [--no-million]
#        (default build/release)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
[ $# -gt 0 ] && shift
bench="$build/bin/web_bench"
if [ ! -x "$bench" ]; then
  echo "no $bench: build the web_bench target first" >&2
  exit 1
fi
# The engine's start-up chatter goes to stderr; only the figures are shown.
log=$(mktemp /tmp/korvane-bench-web-XXXXXX.log)
trap 'rm -f "$log"' EXIT
if ! QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} QTWEBENGINE_DISABLE_SANDBOX=1 \
    "$bench" "$@" 2> "$log"; then
  cat "$log" >&2
  exit 1
fi
