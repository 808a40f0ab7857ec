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
#    starting one per test is slow. Its helper programs start with the first
#    program and live as long as the server, so a quiet first program starts
#    them, lest they hold a test's output open.
flock -o "$prefix.lock" sh -c '
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" || [ -f "$LOCPATH/zh_CN.UTF-8/LC_CTYPE" ]
    wine wineboot -i && wineserver -w
  fi
  if wineserver -p30; then wine cmd.exe /c exit; fi' < /dev/null > /dev/null 2>&1
exec wine "$@"
