#!/bin/sh
# `korvane --export` beside the sqlite3 shell writing the same notes as CSV,
# at 100 and 100,000 notes (both times, the ratio, the time per note and the
# export's peak memory), and `korvane --import` of 10,000 contacts from one
# .vcf file (time, time per contact, peak memory). Beside the export, the
# time a plain loop takes to write the same note files. The program runs from an
# application folder of its own; the build's folder is never touched.
# Usage: bench/compare_export.sh [build folder] [runs]   (default build/release, 3)
# Times are medians of the runs, process start included. The files go under
# $TMPDIR (default /tmp); TMPDIR=/dev/shm leaves the disk's file system out.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
runs=${2:-3}
bin=$build/bin
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-bench-export-XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.share"
export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
mkdir -p "$HOME"

# A copy of the program and its data, without any notebook.
app_folder() {
  mkdir -p "$1/hd"
  cp "$bin/korvane" "$1/"
  cp -r "$bin/bmp" "$bin/skin" "$1/"
  for f in "$bin"/hd/*; do
    case $(basename "$f") in
      glst.mysql.root) cp "$f" "$1/hd/" ;;
      glst.mysql*|backup|drafts) ;;
      *) cp -r "$f" "$1/hd/" ;;
    esac
  done
  cp "$bin/hd/glst.mysql.root" "$1/hd/glst.mysql"
}

# A text as stored: CR LF line breaks, GBK bytes, in hex.
gbk() {
  printf '%s' "$1" | awk 'BEGIN { ORS = "" } NR > 1 { print "\r\n" } { print }' |
    iconv -f UTF-8 -t GB18030 | od -An -tx1 | tr -d ' \n'
}
# Notes of about 200 GBK bytes (a Chinese title and body with line breaks,
# the bold and red snippets and an emoticon), or contacts with messenger tags.
seed_notes() {
  sqlite3 "$1" "INSERT INTO mylist(title,content,tel,state,cre_date)
  WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<$2)
  SELECT CAST(x'$(gbk '会议纪要 ')' AS TEXT) || i,
    CAST(x'$(gbk '第一项 <span class="TBlank">重要</span> {EM3EM}
第二项 <span class="Tred">红字</span> 1. 编号 * 星号
第三行：整理好的内容，今天下午三点在二楼会议室 ')' AS TEXT) || i, '', 0,
    printf('2026-%02d-%02d %02d:%02d:%02d', i%12+1, i%28+1, i%24, i%60, i/60%60) FROM n;"
}
seed_contacts() {
  sqlite3 "$1" "INSERT INTO mylist(title,content,tel,state,cre_date)
  WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<$2)
  SELECT CAST(x'$(gbk '联系人 ')' AS TEXT) || i,
    CAST(x'$(gbk '同事，住在北京；电话晚上打
{QQ')' AS TEXT) || (100000 + i) || 'QQ} {SPname.' || i || 'SP}',
    '+86 138 ' || (10000000 + i), 1,
    printf('2026-%02d-%02d %02d:%02d:%02d', i%12+1, i%28+1, i%24, i%60, i/60%60) FROM n;"
}

# Runs a command under /usr/bin/time -v; prints "milliseconds kilobytes
# cpu-milliseconds" (the CPU time, user and system, is steadier than the
# elapsed time on a machine shared with other work).
measure() {
  start=$(date +%s%N)
  /usr/bin/time -v -o "$work/time.txt" "$@" > /dev/null
  end=$(date +%s%N)
  awk -F': ' -v ms=$(( (end - start) / 1000000 )) '
    /Maximum resident set size/ { kb = $2 }
    /User time|System time/ { cpu += $2 * 1000 }
    END { printf "%d %d %d\n", ms, kb, cpu }' "$work/time.txt"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The file system's own share: the same files (the export's notes, read into
# memory first) written by a plain loop, each created, written and closed.
write_files() {
  python3 - "$1" "$2" <<'PY'
import os, sys, time
source, target = sys.argv[1], sys.argv[2]
files = []
for name in os.listdir(source):
    if name.endswith(".md"):
        with open(os.path.join(source, name), "rb") as f:
            files.append((name, f.read()))
os.makedirs(target)
start = time.monotonic()
for name, data in files:
    fd = os.open(os.path.join(target, name), os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
    os.write(fd, data)
    os.close(fd)
print(int((time.monotonic() - start) * 1000))
PY
}

# Each run writes a folder of its own, all removed after the size's runs:
# ext4 creates files slowly beside inodes deleted moments before, which
# would charge one run for the last one's clean-up.
query="SELECT ID,title,content,cre_date FROM mylist WHERE state=0 ORDER BY cre_date DESC"
printf '%-8s %10s %10s %8s %12s %10s %18s %16s\n' "notes" "export ms" "shell ms" "ratio" \
  "export/note" "peak RSS" "same files, loop" "cpu export/shell"
for notes in 100 100000; do
  app="$work/app-$notes"
  app_folder "$app"
  seed_notes "$app/hd/glst.mysql" "$notes"
  : > "$work/export.txt"; : > "$work/shell.txt"; : > "$work/loop.txt"
  i=0
  while [ $i -lt "$runs" ]; do
    measure "$app/korvane" --export "$work/out-$i" >> "$work/export.txt"
    measure sh -c "sqlite3 -csv '$app/hd/glst.mysql' '$query' > '$work/out-$i.csv'" >> "$work/shell.txt"
    write_files "$work/out-$i/notes" "$work/loop-$i" >> "$work/loop.txt"
    i=$((i + 1))
  done
  [ "$(ls "$work/out-0/notes" | grep -c '\.md$')" -eq "$notes" ] || { echo "export wrote the wrong count" >&2; exit 1; }
  ems=$(cut -d' ' -f1 "$work/export.txt" | median)
  sms=$(cut -d' ' -f1 "$work/shell.txt" | median)
  lms=$(median < "$work/loop.txt")
  kb=$(cut -d' ' -f2 "$work/export.txt" | sort -n | tail -1)
  ecpu=$(cut -d' ' -f3 "$work/export.txt" | median)
  scpu=$(cut -d' ' -f3 "$work/shell.txt" | median)
  awk -v n="$notes" -v e="$ems" -v s="$sms" -v kb="$kb" -v l="$lms" -v ec="$ecpu" -v sc="$scpu" 'BEGIN {
    printf "%-8d %10d %10d %7.2fx %9.1f us %6.0f MiB %15d ms %7d / %d ms\n",
      n, e, s, e / s, e * 1000 / n, kb / 1024, l, ec, sc }'
  rm -rf "$app" "$work"/out-* "$work"/loop-*
done

# 10,000 contacts written by the export, imported into empty notebooks.
contacts=10000
app_folder "$work/source"
seed_contacts "$work/source/hd/glst.mysql" "$contacts"
"$work/source/korvane" --export "$work/cards" > /dev/null
: > "$work/import.txt"
i=0
while [ $i -lt "$runs" ]; do
  rm -rf "$work/target"
  app_folder "$work/target"
  measure "$work/target/korvane" --import "$work/cards/contacts.vcf" >> "$work/import.txt"
  i=$((i + 1))
done
count=$(sqlite3 "$work/target/hd/glst.mysql" "SELECT count(*) FROM mylist WHERE state=1")
[ "$count" -eq "$contacts" ] || { echo "import added $count contacts" >&2; exit 1; }
ims=$(cut -d' ' -f1 "$work/import.txt" | median)
kb=$(cut -d' ' -f2 "$work/import.txt" | sort -n | tail -1)
icpu=$(cut -d' ' -f3 "$work/import.txt" | median)
awk -v n="$contacts" -v t="$ims" -v kb="$kb" -v c="$icpu" 'BEGIN {
  printf "import %d contacts from one .vcf: %d ms (cpu %d ms), %.1f us per contact, peak RSS %.0f MiB\n",
    n, t, c, t * 1000 / n, kb / 1024 }'
