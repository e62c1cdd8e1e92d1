#!/usr/bin/env bash
# Makes split-pages.png for the README: a generated panorama, five times as wide as high,
# converted with `pagewright convert --page-size A4 --split-tall`, its landscape pages rendered
# with pdftoppm and set side by side with ImageMagick's montage.
# Usage: docs/screenshots/take-split.sh [PATH_TO_PAGEWRIGHT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
program=$(realpath "${1:-$root/build/app/pagewright}")
work=$(mktemp -d "${TMPDIR:-/tmp}/pw-split.XXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CACHE_HOME=$work/.cache XDG_CONFIG_HOME=$work/.config

# A landscape with a numbered ruler along its foot, so that the slices and their overlap show.
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
ticks=() numbers=()
for ((x = 0; x <= 2800; x += 200)); do
    ticks+=(-draw "line $x,500 $x,545")
    numbers+=(-annotate "+$((x + 8))+540" "$((x / 200))")
done
convert -size 2800x560 gradient:'#7fb8f0'-'#fdf3dc' \
    -fill '#f6d66b' -draw 'circle 2150,120 2150,180' \
    -fill '#8aa9c9' -draw 'polygon 0,420 250,250 450,330 700,180 1000,360 1300,230 1600,340 1850,200 2200,350 2500,240 2800,330 2800,500 0,500' \
    -fill '#4f7f3b' -draw 'polygon 0,500 0,410 400,360 800,430 1200,380 1700,440 2100,370 2500,420 2800,390 2800,500' \
    -fill '#3b3b3b' -draw 'rectangle 0,500 2800,560' \
    -stroke white -strokewidth 4 "${ticks[@]}" \
    -stroke none -fill white -font "$font" -pointsize 34 "${numbers[@]}" \
    -density 96 -units PixelsPerInch -quality 90 "$work/panorama.jpg"
"$program" convert -q --page-size A4 --margin 10 --split-tall --overlap 10 \
    -o "$work/panorama.pdf" "$work/panorama.jpg" >/dev/null

pdftoppm -r 20 -png "$work/panorama.pdf" "$work/page"
montage "$work"/page-*.png -tile x1 -geometry +8+8 -background '#d0d0d0' \
    -bordercolor '#888888' -border 1 "$work/split.png"
convert "$work/split.png" -strip -colors 128 "$here/split-pages.png"
echo "$here/split-pages.png"
