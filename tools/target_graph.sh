#!/bin/sh
# Draws the build's library graph into docs/targets.png (needs graphviz).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cmake -S "$root" -B "$out/build" -DKORVANE_BENCH=OFF --graphviz="$out/targets.dot" > /dev/null
# The legend explains shapes the picture does not use; the libraries are drawn
# from the program at the top down to the base.
sed '/^subgraph clusterLegend {/,/^}/d' "$out/targets.dot" |
  dot -Tpng -Gdpi=110 -Nshape=box -Nstyle=rounded -o "$root/docs/targets.png"
echo "wrote $root/docs/targets.png"
