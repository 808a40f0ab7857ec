#!/bin/sh
# Makes the SQLite amalgamation (sqlite3.c, sqlite3.h) for builds that cannot
# use the system library, such as the Windows cross build. It is generated
# from Debian's own sqlite3 source package, the same version and patches as
# the libsqlite3 the native build links, fetched by apt-get with its
# signatures checked. apt works in a private folder here: the machine's
# package sources are not changed.
#   sqlite-source.sh OUTPUT-FOLDER
set -eu
out=$(realpath -m "$1")
[ -f "$out/sqlite3.c" ] && [ -f "$out/sqlite3.h" ] && exit 0

work="$out.work"
rm -rf "$work"
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/src"
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
cat > "$work/sources.list" <<LIST
deb-src http://deb.debian.org/debian $suite main
deb-src http://deb.debian.org/debian-security $suite-security main
LIST
apt_private="-o Dir::Etc::SourceList=$work/sources.list -o Dir::Etc::SourceParts=$work/none
  -o Dir::State::Lists=$work/lists -o Dir::Cache=$work/cache -o APT::Sandbox::User=root"
# The version the native build uses, so both builds run the same SQLite.
version=$(dpkg-query -W -f='${source:Version}' libsqlite3-dev)
echo "Fetching Debian's sqlite3 source $version"
apt-get -q $apt_private update > "$work/apt.log"
(cd "$work/src" && apt-get -q $apt_private source "sqlite3=$version" >> "$work/apt.log")
tree=$(find "$work/src" -maxdepth 1 -mindepth 1 -type d -name 'sqlite3-*' | head -n 1)
mkdir -p "$tree/bld"
(cd "$tree/bld" && ../configure --disable-tcl --disable-shared > ../configure.log &&
  make sqlite3.c > ../make.log)
mkdir -p "$out"
cp "$tree/bld/sqlite3.c" "$tree/bld/sqlite3.h" "$out/"
rm -rf "$work"
