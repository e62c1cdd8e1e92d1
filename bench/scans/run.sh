#!/usr/bin/env bash
# Scanned pages: black-and-white pages (JBIG2, and Group 4 with --bilevel g4) against img2pdf
# and jbigkit's pbmtojbg, and, given a baseline build (main's), a gray page scanned in colour
# against it; side by side in one run, best of BEST (3) wall times.
#   bench/scans/run.sh [PATH/TO/PAGEWRIGHT [PATH/TO/BASELINE/PAGEWRIGHT]] (the first may be "": the newest build)
#   PAGES=100 BEST=3 (the defaults)
# The black-and-white pages are 2550 x 3300 (Letter at 300 dpi) of 62 lines of text, askew and
# noisy as scanned, a third each as
# 1-bit PNG, 1-bit TIFF (Deflate) and 8-bit gray PNG of only 0 and 255; five distinct pages
# copied in turn. pbmtojbg (JBIG1, its default mode) codes each of the PAGES files as a PBM; its
# size is the sum of its files. The gray page is a 2550 x 3300 photo-like gray picture saved as
# 24-bit RGB PNG.
set -euo pipefail

# shellcheck source=../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
bench_program "${1:-}"
baseline=${2:-}
[[ -z $baseline || -x $baseline ]] || { echo "no baseline pagewright at $baseline" >&2; exit 1; }
pages=${PAGES:-100}
best_of=${BEST:-3}
bench_require convert img2pdf pdfinfo pdfimages pbmtojbg
bench_private_user scans
mkdir -p "$work/src" "$work/bw" "$work/gray"

words="The quick brown fox jumps over the lazy dog while the committee reviews the report"
for ((k = 0; k < 5; k++)); do
    lines=()
    for ((l = 0; l < 62; l++)); do
        lines+=(-annotate "+$((150 + 7 * k))+$((220 + 48 * l))" "$words, item $k.$l: 1234567890")
    done
    # As a scanner sees it: a little askew, with noise along the edges of the letters.
    convert -size 2550x3300 xc:white -font DejaVu-Sans -pointsize $((30 + k)) -fill black \
        "${lines[@]}" -background white -rotate 0.35 -gravity center -crop 2550x3300+0+0 \
        +repage -attenuate 0.6 +noise Gaussian -blur 0x0.8 -threshold 55% -density 300 \
        -units PixelsPerInch "$work/src/page$k.png"
    convert "$work/src/page$k.png" -type bilevel -define png:bit-depth=1 "$work/src/bw$k.png"
    convert "$work/src/page$k.png" -monochrome -depth 1 -compress zip "$work/src/bw$k.tif"
    convert "$work/src/page$k.png" -type grayscale -define png:bit-depth=8 -define png:color-type=0 "$work/src/gray$k.png"
done
for ((i = 0; i < pages; i++)); do
    case $((i % 3)) in
    0) source=$work/src/bw$((i % 5)).png ;;
    1) source=$work/src/bw$((i % 5)).tif ;;
    *) source=$work/src/gray$((i % 5)).png ;;
    esac
    cp "$source" "$work/bw/$(printf 'p%05d' "$i").${source##*.}"
done
convert -size 2550x3300 -seed 7 plasma:fractal -blur 0x2 -colorspace gray \
    -define png:color-type=2 -density 300 -units PixelsPerInch "PNG24:$work/gray/page.png"

now() { echo "${EPOCHREALTIME/./}"; } # microseconds
seconds() { awk -v us="$1" 'BEGIN { printf "%.2f", us / 1e6 }'; }
size() { stat -c %s "$1"; }

# time_run OUT COMMAND...: the wall time in microseconds; OUT must exist afterwards. The CPU
# time (user and system, children included) goes to $work/cpu, in microseconds too: on a loaded
# machine a job on both cores loses more wall time than one on a single core.
time_run() {
    local out=$1 start end
    shift
    rm -f "$out"
    start=$(now)
    /usr/bin/time -f '%U %S' -o "$work/cpu.txt" "$@" >/dev/null
    end=$(now)
    [[ -s $out ]] || { echo "no $out from $*" >&2; exit 1; }
    awk '{ printf "%d", ($1 + $2) * 1e6 }' "$work/cpu.txt" >"$work/cpu"
    echo $((end - start))
}

mapfile -t bw_files < <(ls -d "$work"/bw/*)
mkdir -p "$work/jbg"
for f in "${bw_files[@]}"; do
    convert "$f" "$work/page.pbm"
    pbmtojbg "$work/page.pbm" "$work/jbg/$(basename "${f%.*}").jbg"
done
best_ours=
best_g4=
best_img2pdf=
declare -A cpu=()
least() { [[ -z ${cpu[$1]:-} || $2 -lt ${cpu[$1]} ]] && cpu[$1]=$2 || true; }
for ((r = 0; r < best_of; r++)); do
    t=$(time_run "$work/ours.pdf" "$program" convert -q --one -o "$work/ours.pdf" "$work/bw")
    least ours "$(cat "$work/cpu")"
    v=$(time_run "$work/g4.pdf" "$program" convert -q --one --bilevel g4 -o "$work/g4.pdf" \
        "$work/bw")
    least g4 "$(cat "$work/cpu")"
    u=$(time_run "$work/img2pdf.pdf" img2pdf -o "$work/img2pdf.pdf" "${bw_files[@]}")
    least img2pdf "$(cat "$work/cpu")"
    [[ -z $best_ours || $t -lt $best_ours ]] && best_ours=$t
    [[ -z $best_g4 || $v -lt $best_g4 ]] && best_g4=$v
    [[ -z $best_img2pdf || $u -lt $best_img2pdf ]] && best_img2pdf=$u
done
for pdf in ours g4; do
    [[ $(pdfinfo "$work/$pdf.pdf" | awk '/^Pages:/{print $2}') == "$pages" ]] ||
        { echo "$pdf.pdf does not hold $pages pages" >&2; exit 1; }
done
coded() { pdfimages -list "$1" | awk -v c="$2" 'NR > 2 && $9 == c' | wc -l; }
jbg=$(cat "$work"/jbg/*.jbg | wc -c)
echo "black and white: $pages pages of 2550 x 3300, $(coded "$work/ours.pdf" jbig2) of them" \
    "JBIG2 in ours, $(coded "$work/g4.pdf" ccitt) CCITT in ours --bilevel g4"
printf '  %-13s %8s s wall %8s s CPU %10s bytes\n' \
    ours "$(seconds "$best_ours")" "$(seconds "${cpu[ours]}")" "$(size "$work/ours.pdf")" \
    "ours g4" "$(seconds "$best_g4")" "$(seconds "${cpu[g4]}")" "$(size "$work/g4.pdf")" \
    img2pdf "$(seconds "$best_img2pdf")" "$(seconds "${cpu[img2pdf]}")" "$(size "$work/img2pdf.pdf")"
printf '  %-13s %29s %10s bytes\n' pbmtojbg "" "$jbg"
awk -v a="$(size "$work/ours.pdf")" -v b="$(size "$work/img2pdf.pdf")" -v j="$jbg" \
    -v g="$(size "$work/g4.pdf")" -v t="$best_ours" -v u="$best_img2pdf" -v v="$best_g4" \
    -v ct="${cpu[ours]}" -v cu="${cpu[img2pdf]}" -v cv="${cpu[g4]}" 'BEGIN {
        printf "  ours / pbmtojbg: size %.3f (target <= 1.03)\n", a / j
        printf "  ours / img2pdf: size %.3f (target <= 0.55), time %.3f (target <= 0.5), CPU %.3f\n",
            a / b, t / u, ct / cu
        printf "  ours / ours g4: size %.3f, time %.3f, CPU %.3f\n", a / g, t / v, ct / cv }'

[[ -n $baseline ]] || exit 0
echo "gray page scanned in colour (2550 x 3300 RGB PNG of equal channels):"
for quality in 100 lossless; do
    "$program" convert -q --one --quality "$quality" -o "$work/g-ours.pdf" "$work/gray" >/dev/null
    "$baseline" convert -q --one --quality "$quality" -o "$work/g-base.pdf" "$work/gray" \
        >/dev/null
    awk -v q="$quality" -v a="$(size "$work/g-ours.pdf")" -v b="$(size "$work/g-base.pdf")" \
        -v c="$(pdfimages -list "$work/g-ours.pdf" | awk 'NR == 3 {print $6}')" 'BEGIN {
            printf "  --quality %-8s ours %9d bytes (%s), baseline %9d bytes: ratio %.3f\n",
                q, a, c, b, a / b }'
    rm -f "$work/g-ours.pdf" "$work/g-base.pdf"
done
