#!/bin/sh
# Runs a Windows program under Wine, headless, in the given Wine prefix
# (created on first use), with Chinese (code page 936, GBK) as the system's
# code page. CTest runs the cross-built tests through it:
#   wine-run.sh PREFIX PROGRAM [ARG...]
set -eu
prefix=$1
shift
# Wine takes the system code page from the Unix locale, which must exist for
# file names to pass through; it is compiled beside the prefix, so the
# machine's locales stay as they are.
export LOCPATH="$prefix-locale"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEPREFIX="$prefix"
export WINEDEBUG="${KORVANE_WINEDEBUG:--all}"
# No Mono, Gecko or desktop menu entries: a test prefix needs none of them.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$prefix" "$LOCPATH"
# Tests run in parallel: one of them prepares, the others wait for it (the
# lock is not handed to the programs started, as the server outlives them).
#  - The prefix and the locale are made once.
#  - One Wine server serves the whole run, kept 30 s after its last program:
#    starting one per test is slow.
flock -o "$prefix.lock" sh -c '
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" || [ -f "$LOCPATH/zh_CN.UTF-8/LC_CTYPE" ]
    wine wineboot -i && wineserver -w
  fi
  wineserver -p30 || true' < /dev/null > /dev/null 2>&1
# Wine's helper programs (services, the COM service, the desktop) start with
# whichever program first needs them and live on with the server; they must
# not inherit the test's output, or CTest waits for them. So the program
# writes to a file, which is passed on once it ends.
output=$(mktemp)
trap 'rm -f "$output"' EXIT
status=0
wine "$@" > "$output" 2>&1 < /dev/null || status=$?
cat "$output"
exit "$status"
