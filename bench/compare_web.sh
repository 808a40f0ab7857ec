#!/bin/sh
# The notes list refresh through the program (page navigation, dispatcher,
# database, rendering, writing into the page) beside setting the same markup
# from a script in the same web engine, for 1,000 and 10,000 notes; then the
# memory of the program's main window beside a bare web view showing the same
# page. Prints the times, the memory and their ratios. Builds nothing.
# Usage: bench/compare_web.sh [build folder] [--runs N]   (default build/release)
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
