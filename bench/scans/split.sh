#!/usr/bin/env bash
# Long pictures over several pages: a 1080 x 20000 screenshot (and the same turned, 20000 x
# 1080) converted onto A4 with --split-tall against the same on one page, at quality 100 and
# lossless. Reports the pages, the images the PDF stores and the size ratio split / one page.
#   bench/scans/split.sh [PATH/TO/PAGEWRIGHT]
set -euo pipefail

# shellcheck source=../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
bench_program "${1:-}"
bench_require convert pdfinfo pdfimages
bench_private_user split

# A chat-like screenshot, lines of text on white with a coloured bubble every few lines, drawn
# as ten 1080 x 2000 strips (ImageMagick's policy here stops at 16000 pixels a side) and joined
# top to bottom, and side by side turned a quarter, into PNGs by a few lines of Python.
for ((s = 0; s < 10; s++)); do
    draw=()
    for ((l = 0; l < 40; l++)); do
        n=$((s * 40 + l))
        y=$((30 + 50 * l))
        if ((n % 7 == 0)); then
            draw+=(-fill "#$(printf '%02x%02x%02x' $((90 + n % 120)) 160 $((230 - n % 90)))"
                -draw "roundrectangle 40,$((y - 28)) 900,$((y + 14)) 18,18" -fill black)
        fi
        draw+=(-annotate "+60+$y" "Message $n: the quick brown fox jumps over the lazy dog $((n * 37))")
    done
    convert -size 1080x2000 xc:white -font DejaVu-Sans -pointsize 26 -fill black "${draw[@]}" \
        -depth 8 "$work/strip$s.ppm"
    convert "$work/strip$s.ppm" -rotate 90 "$work/turned$s.ppm"
done
python3 - "$work" <<'PY'
import struct, sys, zlib
work = sys.argv[1]
def read_ppm(path):
    data = open(path, "rb").read()
    fields, at = [], 0
    while len(fields) < 4:  # P6 width height maxval, then one blank
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    return int(fields[1]), int(fields[2]), data[at + 1:]
def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                  + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))
rows = []
for s in range(10):
    w, h, pixels = read_ppm(f"{work}/strip{s}.ppm")
    rows += [pixels[y * w * 3:(y + 1) * w * 3] for y in range(h)]
write_png(f"{work}/tall.png", 1080, len(rows), rows)
strips = [read_ppm(f"{work}/turned{s}.ppm") for s in reversed(range(10))]
height = strips[0][1]
wide = [b"".join(p[y * w * 3:(y + 1) * w * 3] for w, _, p in strips) for y in range(height)]
write_png(f"{work}/wide.png", sum(w for w, _, _ in strips), height, wide)
PY

size() { stat -c %s "$1"; }
pages() { pdfinfo "$1" | awk '/^Pages:/ {print $2}'; }
images() { pdfimages -list "$1" | awk 'NR > 2 {print $11}' | sort -u | wc -l; }

for picture in tall wide; do
    for quality in 100 lossless; do
        "$program" convert -q --page-size A4 --quality "$quality" -o "$work/one.pdf" \
            "$work/$picture.png" >/dev/null
        "$program" convert -q --page-size A4 --split-tall --quality "$quality" \
            -o "$work/split.pdf" "$work/$picture.png" >/dev/null
        awk -v p="$picture" -v q="$quality" -v n="$(pages "$work/split.pdf")" \
            -v i="$(images "$work/split.pdf")" -v a="$(size "$work/split.pdf")" \
            -v b="$(size "$work/one.pdf")" 'BEGIN {
                printf "%-4s --quality %-8s split: %2d pages, %d stored image(s), %9d bytes; " \
                    "one page %9d bytes; ratio %.4f (target <= 1.02)\n", p, q, n, i, a, b, a / b }'
        rm -f "$work/one.pdf" "$work/split.pdf"
    done
done
