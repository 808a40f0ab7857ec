#!/bin/sh
# Renders the list page with a few sample notes and contacts in the real web
# engine and writes docs/page-notes.png, docs/page-contacts.png and
# docs/page-compact.png (391 x 570, the program's window size).
#
# usage: tools/page_shots.sh [build folder]   (default build/debug)
# Set KORVANE_SHOTS_XVFB=1 to render under Xvfb instead of the offscreen platform.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/debug"}

cmake --build "$build" --target web_tests -j2
export KORVANE_SHOT_DIR="$root/docs"
export QTWEBENGINE_DISABLE_SANDBOX=1
mkdir -p "$KORVANE_SHOT_DIR"
if [ "${KORVANE_SHOTS_XVFB:-0}" = 1 ]; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/bin/web_tests" --gtest_filter='PageShots.*'
else
  QT_QPA_PLATFORM=offscreen "$build/bin/web_tests" --gtest_filter='PageShots.*'
fi
ls -l "$KORVANE_SHOT_DIR"/page-*.png
