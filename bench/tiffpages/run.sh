#!/usr/bin/env bash
# One TIFF of many pages against img2pdf (and a baseline build, when given), side by side in one
# run, best of BEST (3) wall times.
#   bench/tiffpages/run.sh [PATH/TO/PAGEWRIGHT] [PATH/TO/BASELINE/PAGEWRIGHT]
#   PAGES=4000 BEST=3 (the defaults)
# The pages are 16 x 16 gray at 72 dpi, each of another shade, written by Pillow; a second
# file holds the same number of Group 4 pages (200 x 100) as scanners and fax software write.
set -euo pipefail

# shellcheck source=../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
bench_program "${1:-}"
baseline=${2:-}
pages=${PAGES:-4000}
best_of=${BEST:-3}
bench_require img2pdf pdfinfo
bench_private_user tiffpages
/usr/bin/python3 - "$work" "$pages" <<'PY' # Debian's, with python3-pil
import sys
from PIL import Image
work, count = sys.argv[1], int(sys.argv[2])
gray = [Image.new("L", (16, 16), i % 256) for i in range(count)]
gray[0].save(f"{work}/gray.tif", save_all=True, append_images=gray[1:], dpi=(72, 72))
bits = []
for i in range(count):
    page = Image.new("1", (200, 100), 1)
    page.paste(0, (i % 180, 10, i % 180 + 20, 90))
    bits.append(page)
bits[0].save(f"{work}/g4.tif", save_all=True, append_images=bits[1:], compression="group4",
             dpi=(72, 72))
PY

now() { echo "${EPOCHREALTIME/./}"; } # microseconds
best() { # best COMMAND...: the best wall time of BEST runs in microseconds
    local top= start t
    for ((r = 0; r < best_of; r++)); do
        rm -f "$work/out.pdf"
        start=$(now)
        "$@" >/dev/null
        t=$(($(now) - start))
        [[ -z $top || $t -lt $top ]] && top=$t
    done
    [[ $(pdfinfo "$work/out.pdf" | awk '/^Pages:/{print $2}') == "$pages" ]] ||
        { echo "$* did not give $pages pages" >&2; exit 1; }
    echo "$top"
}
for kind in gray g4; do
    ours=$(best "$program" convert -q -o "$work/out.pdf" "$work/$kind.tif")
    peer=$(best img2pdf -o "$work/out.pdf" "$work/$kind.tif")
    line=$(awk -v a="$ours" -v b="$peer" 'BEGIN { printf "ours %.2f s, img2pdf %.2f s, ratio %.2f", a / 1e6, b / 1e6, a / b }')
    if [[ -n $baseline ]]; then
        base=$(best "$baseline" convert -q -o "$work/out.pdf" "$work/$kind.tif")
        line+=$(awk -v a="$base" -v b="$peer" 'BEGIN { printf "; baseline %.2f s, ratio %.2f", a / 1e6, a / b }')
    fi
    echo "$pages $kind pages in one TIFF: $line"
done
