#!/bin/sh
# Sets up a Debian 12 machine for Korvane, builds it, and then runs the program
# ("run"), every test ("test") or builds the Debian package ("package"). Safe
# to repeat: packages are installed only when one is missing, and the build is
# incremental.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-run}

packages="python3 cmake make g++ clang libclang-rt-14-dev pkg-config
  clang-format libsqlite3-dev sqlite3 libexpat1-dev libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-webengine-dev qt6-webchannel-dev libqt6webenginecore6-bin libxcb1-dev libgl-dev
  qtkeychain-qt6-dev qt6-l10n-tools qt6-tools-dev
  fonts-wqy-microhei
  xvfb xauth openbox trayer xdotool x11-utils imagemagick
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix googletest wine wine64
  locales dpkg-dev tcl xz-utils util-linux
  lintian qt6-wayland weston dbus-daemon dbus-bin at-spi2-core python3-pyatspi
  khard pandoc gnote
  radicale xandikos vdirsyncer"

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
fi

cd "$root"

case "$mode" in
  run)
    cmake --preset release > /dev/null
    cmake --build --preset release -j "$(nproc)"
    # WebEngine refuses to run as root without its sandbox switched off.
    [ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
    exec "$root/build/release/bin/korvane"
    ;;
  test)
    # The release build with every compiler warning an error.
    cmake --preset ci > /dev/null
    cmake --build --preset ci -j "$(nproc)"
    ctest --preset ci -j "$(nproc)"
    # The core and the widget tests once more with AddressSanitizer and
    # UndefinedBehaviorSanitizer, built by GCC (about three minutes to build,
    # under a minute to run).
    cmake --preset asan > /dev/null
    cmake --build --preset asan -j "$(nproc)"
    ctest --preset asan -L "core|gui" -j "$(nproc)"
    # Under clang with ASan and UBSan: the core tests, and each fuzz target run
    # briefly over its seeds.
    cmake --preset fuzz > /dev/null
    cmake --build --preset fuzz -j "$(nproc)"
    ctest --preset fuzz -j "$(nproc)"
    # The Windows build of the core and the Win32 platform layer, its tests
    # run under Wine in a prefix of the build's own. SQLite and expat are
    # built from Debian's source packages (fetched once, see
    # tools/sqlite-source.sh and tools/expat-source.sh).
    tools/sqlite-source.sh build/sqlite-amalgamation
    tools/expat-source.sh build/expat-source
    cmake --preset mingw > /dev/null
    cmake --build --preset mingw -j "$(nproc)"
    # One at a time: the tests share the prefix's registry and the program's
    # named mutex, which two tests running at once would take from each other.
    ctest --preset mingw
    ;;
  package)
    cmake --preset release > /dev/null
    cmake --build --preset release -j "$(nproc)"
    (cd "$root/build/release" && cpack -G DEB)
    # An error lintian finds fails the step; warnings are shown.
    lintian --fail-on error "$root"/build/release/korvane_*_amd64.deb
    ;;
  *)
    echo "usage: $0 run|test|package" >&2
    exit 2
    ;;
esac
