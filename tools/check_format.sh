#!/bin/sh
# Fails when a C++ file of the project differs from what clang-format makes of
# it (the style is in .clang-format). Run `tools/check_format.sh --fix` to
# format the files in place.
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i $files
else
  clang-format --dry-run --Werror $files
fi
