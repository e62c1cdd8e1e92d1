#!/usr/bin/env bash
# Near-gray scans and --deskew. Given a baseline build (main before near gray went gray), a gray
# page scanned in colour, at quality 100, against it, side by side; then the skew left on 20
# text pages turned 0.5 to 5 degrees either way, after `convert --deskew`, measured with
# Leptonica on the pictures in the PDF; with OCRmyPDF installed (OCR=0 leaves it out), the word
# recall of `convert --deskew --ocr eng` on those pages against `ocrmypdf --deskew`.
#   bench/grey/run.sh [PATH/TO/PAGEWRIGHT [PATH/TO/BASELINE/PAGEWRIGHT]] (the first may be "": the newest build)
set -euo pipefail

# shellcheck source=../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
bench_program "${1:-}"
baseline=${2:-}
[[ -z $baseline || -x $baseline ]] || { echo "no baseline pagewright at $baseline" >&2; exit 1; }
bench_require convert pdfimages pkg-config cc
bench_private_user grey
skew=$work/residual_skew
# shellcheck disable=SC2046 # pkg-config's flags are words
cc -O2 -o "$skew" "$(dirname "$0")/residual_skew.c" $(pkg-config --cflags --libs lept)
size() { stat -c %s "$1"; }
# The colour space of the PDF's first picture (gray, rgb, icc).
colour() { pdfimages -list "$1" | awk 'NR == 3 { print $6 }'; }

text=()
words="The quick brown fox jumps over the lazy dog while the committee reviews the report"
for ((l = 0; l < 62; l++)); do
    text+=(-annotate "+150+$((220 + 48 * l))" "$words, item $l: 1234567890")
done
# A gray Letter page at 300 dpi as a colour scanner gives it: a slight blur, colour noise and a
# faint cast (red up, blue down 1.5%), 8-bit RGB; as PNG and as a JPEG of quality 92.
mkdir -p "$work/in" "$work/out"
convert -size 2550x3300 xc:'gray(96%)' -font DejaVu-Sans -pointsize 30 -fill 'gray(15%)' \
    "${text[@]}" -colorspace sRGB -type TrueColor -blur 0x0.7 -attenuate 0.5 +noise Gaussian \
    -channel R -evaluate add 1.5% -channel B -evaluate subtract 1.5% +channel -depth 8 \
    -define png:color-type=2 -density 300 -units PixelsPerInch "$work/in/scan.png"
convert "$work/in/scan.png" -quality 92 "$work/in/scan.jpg"
convert -size 2550x3300 -seed 7 plasma:fractal -blur 0x2 -depth 8 "$work/in/photo.png"
convert -size 2550x3300 gradient:white-black -attenuate 0.3 +noise Gaussian -sepia-tone 80% \
    -depth 8 "$work/in/sepia.png"

if [[ -n $baseline ]]; then
    echo "gray page scanned in colour, 2550 x 3300, --quality 100: ours against the baseline"
    for name in scan.png scan.jpg photo.png sepia.png; do
        "$program" convert -q --one --quality 100 -o "$work/out/ours.pdf" "$work/in/$name" \
            >/dev/null
        "$baseline" convert -q --one --quality 100 -o "$work/out/base.pdf" "$work/in/$name" \
            >/dev/null
        "$program" convert -q --one --quality 100 --keep-colour -o "$work/out/keep.pdf" \
            "$work/in/$name" >/dev/null
        awk -v n="$name" -v a="$(size "$work/out/ours.pdf")" -v b="$(size "$work/out/base.pdf")" \
            -v k="$(size "$work/out/keep.pdf")" -v c="$(colour "$work/out/ours.pdf")" \
            -v d="$(colour "$work/out/base.pdf")" 'BEGIN {
            printf "  %-9s ours %9d bytes (%s), baseline %9d bytes (%s): ratio %.3f; --keep-colour / baseline %.3f\n",
                n, a, c, b, d, a / b, k / b }'
        rm -f "$work/out/ours.pdf" "$work/out/base.pdf" "$work/out/keep.pdf"
    done
fi

# 20 pages of text at 200 dpi, turned 0.5 to 5 degrees either way (ImageMagick, clockwise for
# a positive angle), cut back to their size on white.
angles=(0.5 -0.5 0.75 -1 1.25 -1.5 1.75 -2 2.25 -2.5 2.75 -3 3.25 -3.5 3.75 -4 4.25 -4.5 4.75 -5)
small=()
for ((l = 0; l < 40; l++)); do
    small+=(-annotate "+120+$((150 + 50 * l))" "Item $l: the committee reviews the quarterly report.")
done
convert -size 1700x2200 xc:white -font DejaVu-Sans -pointsize 28 -fill black "${small[@]}" \
    -density 200 -units PixelsPerInch "$work/level.png"
mkdir -p "$work/turned" "$work/images"
for ((i = 0; i < ${#angles[@]}; i++)); do
    convert "$work/level.png" -background white -rotate "${angles[i]}" -gravity center \
        -crop 1700x2200+0+0 +repage "$work/turned/$(printf 'p%02d' "$i").png"
done
"$program" convert -q --one --deskew -o "$work/out/level.pdf" "$work/turned" >/dev/null
pdfimages -png "$work/out/level.pdf" "$work/images/p"
echo "deskew: 20 pages turned 0.5 to 5 degrees either way, skew left (Leptonica, degrees;" \
    "the page before it was turned measures $("$skew" "$work/level.png" | awk '{ print $2 }')):"
paste <("$skew" "$work"/turned/*.png | awk '{ print $2 }') \
    <("$skew" "$work"/images/*.png | awk '{ print $2 }') | awk '
    { d = $2 < 0 ? -$2 : $2; sum += d; if (d > most) most = d; n++
      printf "  turned %7.3f -> left %7.3f\n", $1, $2 }
    END { printf "  pages %d, largest skew left %.3f (target < 0.2), mean %.3f\n", n, most, sum / n }'

# Word recall after straightening: ours against OCRmyPDF's --deskew, the same 20 pages.
[[ ${OCR:-1} == 1 ]] && command -v ocrmypdf >/dev/null || exit 0
bench_require img2pdf pdftotext python3
for ((l = 0; l < 40; l++)); do echo "Item $l: the committee reviews the quarterly report."; done \
    >"$work/known.txt"
# recall PDF: the share of the known words (counted with repeats) pdftotext finds, page by page.
recall() {
    pdftotext -q "$1" "$work/found.txt"
    python3 - "$work/found.txt" "$work/known.txt" <<'PY'
import collections, re, sys
pages = open(sys.argv[1], encoding="utf-8", errors="replace").read().split("\f")[:20]
want = collections.Counter(re.findall(r"[a-z]+", open(sys.argv[2]).read().lower()))
least, total, hit = 100.0, 0, 0
for page in pages + [""] * (20 - len(pages)):
    got = collections.Counter(re.findall(r"[a-z]+", page.lower()))
    found = sum((want & got).values())
    least = min(least, 100.0 * found / sum(want.values()))
    total += sum(want.values())
    hit += found
print(f"{100.0 * hit / total:.2f} % (the worst page {least:.2f} %)")
PY
}
now() { echo "${EPOCHREALTIME/./}"; }
start=$(now)
"$program" convert -q --one --deskew --ocr eng -o "$work/out/ocr.pdf" "$work/turned" >/dev/null
ours_time=$(($(now) - start))
start=$(now)
img2pdf -o "$work/out/in.pdf" "$work"/turned/*.png
ocrmypdf -q -l eng --deskew --jobs "$(nproc)" --output-type pdf --optimize 0 "$work/out/in.pdf" \
    "$work/out/ocrmypdf.pdf"
peer_time=$(($(now) - start))
echo "word recall after straightening, the 20 turned pages (pdftotext):"
echo "  convert --deskew --ocr eng:           $(recall "$work/out/ocr.pdf"), $((ours_time / 1000)) ms"
echo "  img2pdf + ocrmypdf --deskew -l eng:   $(recall "$work/out/ocrmypdf.pdf"), $((peer_time / 1000)) ms"
