#!/bin/sh
# The README's pictures of the real program in every look: scale 1 and 2,
# light and dark, Chinese and English. For each look tools/desktop_shots.py
# takes the main window, the compact view, the note editor, the contact
# editor and the delete question into a temporary folder, and ImageMagick
# joins the five side by side, at their own pixels, into
# OUT/look-<lang>-<theme>@<scale>x.png (look-en-dark@2x.png). The single
# pictures the README shows at scale 1, light, in Chinese (window-standard.png,
# window-contacts.png, window-note-editor.png, window-compact.png) are copied
# to OUT as well; the others go with the temporary folder.
#
# usage: tools/readme_shots.sh BIN_DIR [OUT]   (OUT defaults to docs/)
#
# Exit status 0 when every picture was written, that of desktop_shots.py
# otherwise (77 when a tool is missing).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 BIN_DIR [OUT]" >&2
  exit 2
fi
bin=$1
out=${2:-"$root/docs"}
mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/korvane-readme-shots.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The desktop's colour behind the windows fills the gaps between the pictures.
desktop='#7d9bbd'

for scale in 1 2; do
  for theme in light dark; do
    for lang in zh en; do
      dir="$work/$lang-$theme-$scale"
      mkdir -p "$dir"
      python3 "$root/tools/desktop_shots.py" "$bin" --out "$dir" --scale "$scale" \
        --theme "$theme" --lang "$lang"
      suffix=""
      [ "$lang" = zh ] || suffix="$suffix-$lang"
      [ "$theme" = light ] || suffix="$suffix-$theme"
      [ "$scale" = 1 ] || suffix="$suffix@${scale}x"
      gap=$((16 * scale))
      look="$out/look-$lang-$theme@${scale}x.png"
      # Top-aligned, a gap before each picture and around the row.
      convert -background "$desktop" \
        "$dir/window-standard$suffix.png" "$dir/window-compact$suffix.png" \
        "$dir/window-note-editor$suffix.png" "$dir/window-contact-editor$suffix.png" \
        "$dir/window-message$suffix.png" \
        -gravity northwest -splice "${gap}x${gap}" +append \
        -gravity southeast -splice "${gap}x${gap}" \
        -strip -define png:compression-level=9 "$look"
      echo "wrote $look"
      if [ -z "$suffix" ]; then
        for name in window-standard window-contacts window-note-editor window-compact; do
          convert "$dir/$name.png" -strip "$out/$name.png"
        done
        echo "wrote window-standard.png, window-contacts.png, window-note-editor.png" \
          "and window-compact.png to $out"
      fi
    done
  done
done
