#!/usr/bin/env bash
# Makes ocr-search.png for the README: a photographed letter converted with
# `pagewright convert --ocr eng`, its page rendered by pdftoppm, and every word the PDF's text
# layer gives for a search (pdftotext -bbox, as a reader's search finds it) highlighted where
# the reader highlights it (drawn with ImageMagick; no PDF reader is installed here).
# Usage: docs/screenshots/take-search.sh [PATH_TO_PAGEWRIGHT] [WORD]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
program=$(realpath "${1:-$root/build/app/pagewright}")
word=${2:-harbour}
work=$(mktemp -d "${TMPDIR:-/tmp}/pw-search.XXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CACHE_HOME=$work/.cache XDG_CONFIG_HOME=$work/.config
unset DISPLAY WAYLAND_DISPLAY

font=/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf
convert -size 1000x700 xc:'#f4f1ea' -font "$font" -pointsize 26 -fill '#222' \
    -annotate +70+90 "Harbour Office, 3 May" \
    -annotate +70+170 "The new harbour wall was finished this week, and the" \
    -annotate +70+215 "boats came back to the inner harbour on Tuesday." \
    -annotate +70+260 "The market moves to the quay for the summer season." \
    -annotate +70+350 "Council meeting: Thursday evening, in the library." \
    -rotate 1.2 -blur 0x0.7 -attenuate 0.3 +noise Gaussian -density 120 -units PixelsPerInch \
    -quality 88 "$work/letter.jpg"
"$program" convert -q --ocr eng -o "$work/letter.pdf" "$work/letter.jpg" >/dev/null
pdftoppm -r 120 -png -singlefile "$work/letter.pdf" "$work/page"
pdftotext -bbox "$work/letter.pdf" "$work/boxes.html"
# The matches' boxes in pixels (pdftotext gives points; the page was rendered at 120 dpi).
mapfile -t boxes < <(grep -i ">[^<]*$word[^<]*<" "$work/boxes.html" |
    sed -E 's/.*xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)".*/\1 \2 \3 \4/' |
    awk '{ s = 120 / 72; printf "rectangle %d,%d %d,%d\n", $1 * s, $2 * s, $3 * s, $4 * s }')
draw=()
for box in "${boxes[@]}"; do draw+=(-draw "$box"); done
convert "$work/page.png" -fill 'rgba(255,200,0,0.45)' -stroke '#e08c00' -strokewidth 2 \
    "${draw[@]}" -background '#ececec' -gravity north -splice 0x44 -stroke none -fill '#222' \
    -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -pointsize 18 -gravity northwest \
    -annotate +14+11 "Find: \"$word\" - ${#boxes[@]} matches on page 1" "$here/ocr-search.png"
echo "${#boxes[@]} matches"
