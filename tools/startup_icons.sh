#!/usr/bin/env bash
# Draws the preparing window's two 32 x 32 pictures (an open setup box with
# an arrow into it) and prints each as the Picture.Data value of a TImage in
# a text form: the class name TPngImage as a short string, then the PNG.
#   newer: soft shaded colours with a transparent edge (Windows XP and later)
#   older: the flat colours of the classic 16-colour palette
# Usage: startup_icons.sh OUT-DIR  (writes newer.png and older.png there too)
set -euo pipefail
out="${1:?usage: startup_icons.sh OUT-DIR}"
mkdir -p "$out"

# draw FILE BOX-LIGHT BOX-DARK FLAP ARROW EDGE
draw() {
  convert -size 32x32 xc:none \
    -stroke "$6" -strokewidth 1 \
    -fill "$3" -draw "polygon 4,13 16,17 16,30 4,25" \
    -fill "$2" -draw "polygon 16,17 28,13 28,25 16,30" \
    -fill "$4" -draw "polygon 4,13 16,9 28,13 16,17" \
    -fill "$4" -draw "polygon 4,13 1,9 13,5 16,9" \
    -fill "$4" -draw "polygon 28,13 31,9 19,5 16,9" \
    -fill "$5" -stroke "$6" -draw "polygon 13,1 19,1 19,7 23,7 16,14 9,7 13,7" \
    -define png:exclude-chunks=date,time -strip PNG8:"$1"
}
draw "$out/newer.png" "#D9A45B" "#B07A35" "#F0CB8C" "#3C8D2F" "#5A3A14"
draw "$out/older.png" "#C0C0C0" "#808080" "#FFFFFF" "#008000" "#000000"

for name in newer older; do
  hex="$( (printf '\x09TPngImage'; cat "$out/$name.png") | od -An -v -tx1 | tr -d ' \n' | tr a-f A-F)"
  echo "$name ($(stat -c %s "$out/$name.png") bytes):"
  echo "    Picture.Data = {"
  fold -w 64 <<<"$hex" | sed 's/^/      /'
  echo "      }"
done
