#!/bin/sh
# Renders the list page with a few sample notes and contacts in the real web
# engine and writes docs/page-notes.png, docs/page-contacts.png,
# docs/page-compact.png, docs/undo-bar.png, docs/trash-view.png and
# docs/sync-conflict.png (391 x 570,
# the program's window size), with the page_shots program (tools/shots/).
#
# usage: tools/page_shots.sh [build folder]   (default build/debug)
# Set KORVANE_SHOTS_XVFB=1 to render under Xvfb instead of the offscreen platform.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/debug"}

cmake --build "$build" --target page_shots -j2
out="$root/docs"
export QTWEBENGINE_DISABLE_SANDBOX=1
mkdir -p "$out"
if [ "${KORVANE_SHOTS_XVFB:-0}" = 1 ]; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/page_shots" "$out"
else
  QT_QPA_PLATFORM=offscreen "$build/bin/page_shots" "$out"
fi
ls -l "$out"/page-*.png "$out"/undo-bar.png "$out"/trash-view.png "$out"/sync-conflict.png
