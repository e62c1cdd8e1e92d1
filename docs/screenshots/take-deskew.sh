#!/usr/bin/env bash
# Makes deskew.png for the README: a letter scanned 3 degrees askew, converted with and
# without `pagewright convert --deskew`, both PDFs rendered with pdftoppm and set side by side
# with ImageMagick's montage.
# Usage: docs/screenshots/take-deskew.sh [PATH_TO_PAGEWRIGHT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
program=$(realpath "${1:-$root/build/app/pagewright}")
work=$(mktemp -d "${TMPDIR:-/tmp}/pw-deskew.XXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CACHE_HOME=$work/.cache XDG_CONFIG_HOME=$work/.config

font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
lines=()
body="The harbour board met on Tuesday to review the quarterly figures"
for ((l = 0; l < 22; l++)); do
    lines+=(-annotate "+90+$((260 + 40 * l))" "$body, item $((l + 1)).")
done
convert -size 1240x1754 xc:'#fbfaf7' -font "$font" -fill '#202020' -pointsize 44 \
    -annotate +90+150 "Harbour Board: Minutes" -pointsize 24 "${lines[@]}" \
    -background '#fbfaf7' -rotate -3 -gravity center -crop 1240x1754+0+0 +repage \
    -attenuate 0.3 +noise Gaussian -density 150 -units PixelsPerInch -quality 90 \
    "$work/letter.jpg"
"$program" convert -q -o "$work/askew.pdf" "$work/letter.jpg" >/dev/null
"$program" convert -q --deskew -o "$work/level.pdf" "$work/letter.jpg" >/dev/null

pdftoppm -r 24 -png -singlefile "$work/askew.pdf" "$work/askew"
pdftoppm -r 24 -png -singlefile "$work/level.pdf" "$work/level"
montage -label 'as scanned' "$work/askew.png" -label 'convert --deskew' "$work/level.png" \
    -tile 2x1 -geometry +12+8 -background '#d0d0d0' -bordercolor '#888888' -border 1 \
    -pointsize 16 "$work/both.png"
convert "$work/both.png" -strip -colors 64 "$here/deskew.png"
echo "$here/deskew.png"
