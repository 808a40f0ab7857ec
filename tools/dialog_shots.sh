#!/bin/sh
# Writes the dialogs' pictures with the dialog_shots program (tools/shots/)
# into <build folder>/shots: dialog-message.png, dialog-note.png,
# dialog-contact.png, history-dialog.png, exchange-progress.png,
# exchange-summary.png, sync-dialog.png, and, for checking by eye,
# restore-question.png (the start's question when the notebook is missing),
# note-editor-stored.png (the note editor on a stored note, with its 历史版本…
# button) and sync-dialog-plain.png (with its plain-http warning); then copies
# the pictures the README shows to docs/.
#
# usage: tools/dialog_shots.sh [build folder]   (default build/debug)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/debug"}

cmake --build "$build" --target dialog_shots -j2
out="$build/shots"
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/bin/dialog_shots" "$out"
cp "$out"/dialog-message.png "$out"/dialog-note.png "$out"/dialog-contact.png \
  "$out"/history-dialog.png "$out"/exchange-progress.png "$out"/exchange-summary.png \
  "$out"/sync-dialog.png "$root/docs/"
ls -l "$out"/*.png
