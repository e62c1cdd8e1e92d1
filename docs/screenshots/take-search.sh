#!/usr/bin/env bash
# Makes ocr-search.png for the README: a photographed letter converted with
# `pagewright convert --ocr eng`, opened in MuPDF (Debian package mupdf) on a virtual display,
# and a search for a word typed into it; the screenshot shows what the reader highlights.
# Usage: docs/screenshots/take-search.sh [PATH_TO_PAGEWRIGHT] [WORD]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source-path=SCRIPTDIR source=../../scripts/lib/xdriver.sh
. "$root/scripts/lib/xdriver.sh"
program=$(realpath "${1:-$root/build/app/pagewright}")
word=${2:-harbour}
command -v mupdf >/dev/null || {
    echo "needs MuPDF: apt-get install mupdf" >&2
    exit 1
}
work=$(mktemp -d "${TMPDIR:-/tmp}/pw-search.XXX")
reader=""
cleanup() {
    xd_stop_process "$reader"
    xd_stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work XDG_CACHE_HOME=$work/.cache XDG_CONFIG_HOME=$work/.config
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

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

xd_start_xvfb "$work" 1100x800x24
mupdf -r 90 "$work/letter.pdf" >/dev/null 2>&1 &
reader=$!
window=$(xd_wait_window 'letter' 15 "$reader")
xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool type --delay 40 "/$word"
xdotool key Return
sleep 1
xd_screenshot "$here/ocr-search.png" "$window"
