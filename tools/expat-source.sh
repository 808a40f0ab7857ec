#!/bin/sh
# Unpacks the expat XML parser's source for builds that cannot use the system
# library, such as the Windows cross build, which compiles it as a static
# library (KORVANE_EXPAT_SOURCE). It comes from Debian's own expat source
# package, the same version and patches as the libexpat the native build
# links, fetched by apt-get with its signatures checked. apt works in a
# private folder here: the machine's package sources are not changed.
#   expat-source.sh OUTPUT-FOLDER
set -eu
out=$(realpath -m "$1")
[ -f "$out/CMakeLists.txt" ] && [ -f "$out/lib/xmlparse.c" ] && exit 0

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
# The version the native build uses, so both builds parse with the same expat.
version=$(dpkg-query -W -f='${source:Version}' libexpat1-dev)
echo "Fetching Debian's expat source $version"
apt-get -q $apt_private update > "$work/apt.log"
# A version the archive no longer holds (updates replace it) gives way to the
# other Debian revisions of it that the archive does hold, newest first.
fetched=""
for v in "$version" $(apt-cache $apt_private showsrc expat | sed -n 's/^Version: //p' | sort -rV); do
  if (cd "$work/src" && apt-get -q $apt_private source "expat=$v" >> "$work/apt.log" 2>&1); then
    fetched=$v
    break
  fi
  rm -rf "$work/src" && mkdir -p "$work/src"
done
[ -n "$fetched" ] || { echo "Could not fetch Debian's expat source (see $work/apt.log)" >&2; exit 1; }
[ "$fetched" = "$version" ] || echo "Version $version is gone from the archive; took $fetched"
tree=$(find "$work/src" -maxdepth 1 -mindepth 1 -type d -name 'expat-*' | head -n 1)
# The release tree keeps its CMake build beside lib/; some trees nest it in expat/.
[ -f "$tree/lib/xmlparse.c" ] || tree="$tree/expat"
[ -f "$tree/CMakeLists.txt" ] && [ -f "$tree/lib/xmlparse.c" ] ||
  { echo "No expat CMake tree in Debian's source package" >&2; exit 1; }
rm -rf "$out"
mv "$tree" "$out"
rm -rf "$work"
