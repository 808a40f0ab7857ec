#!/bin/sh
# Rebuilds data/hd/glst.mysql.root from tools/pristine_db.sql with the sqlite3 shell.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/data/hd/glst.mysql.root"
rm -f "$out"
sqlite3 "$out" < "$root/tools/pristine_db.sql"
echo "wrote $out"
