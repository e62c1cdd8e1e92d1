#!/usr/bin/env bash
# `pagewright convert --ocr` on rendered text pictures: the words come out of pdftotext and
# MuPDF in reading order, with spaces, also on pages shown turned or drawn sideways and on a
# page too long for Tesseract, the pages render as without the text, JPEG bytes stay as they
# were, the sidecar text, --auto-rotate, and recognition that cannot run: refused languages and
# language data, and pages whose text cannot be read.
# Usage: cli_ocr.sh PATH_TO_PAGEWRIGHT
# shellcheck source=ocr_prologue.sh
. "$(dirname "$0")/ocr_prologue.sh" "${1:-}" ocr
mupdf_words() { mutool draw -q -F txt -o - "$1" 2>/dev/null | tr -s ' \n\f' '  ' | sed 's/^ //; s/ $//'; }
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
text() { # text OUT SIZE DRAW...: black DejaVu text on white
    local out=$1 size=$2
    shift 2
    convert -size "$size" xc:white -font "$font" -pointsize 22 -fill black "$@" -density 150 \
        -units PixelsPerInch "$out"
}
line1="Pagewright reads every picture" line2="and lays its words over the page"
text "$work/in/page.png" 700x220 -annotate +30+60 "$line1" -annotate +30+120 "$line2"
text "$work/in/scan.jpg" 700x220 -annotate +30+60 "Quarterly figures improved" \
    -annotate +30+120 "across northern districts"
left="The left column opens with a few plain words set in short lines that run down the page until this column comes to its very last line at the foot of the page"
right="Then the right column begins at the top again and carries on with more words of its own which are read only after the left one has ended in full below"
both_columns="$left $right"
columns=()
row=0
while read -r part; do
    columns+=(-annotate "+40+$((60 + 34 * row++))" "$part")
done < <(fold -s -w 24 <<<"$left")
row=0
while read -r part; do
    columns+=(-annotate "+560+$((60 + 34 * row++))" "$part")
done < <(fold -s -w 24 <<<"$right")
text "$work/in/columns.png" 900x340 "${columns[@]}"
convert "$work/in/page.png" -rotate 90 "$work/in/turned.png"
convert -size 300x200 gradient:skyblue-darkgreen "$work/in/photo.png"

# A page of text, a JPEG scan, two columns and a photo without text, in one PDF.
run --ocr eng --ocr-sidecar "$work/out/text.txt" -o "$work/out/ocr.pdf" "$work/in/page.png" \
    "$work/in/scan.jpg" "$work/in/columns.png" "$work/in/photo.png"
check "OCR: status 0, nothing said ($status: $err)" test "$status:$err" = "0:"
found=$(words -raw "$work/out/ocr.pdf")
check "OCR: pdftotext -raw gives the words in reading order ($found)" test "$found" = \
    "$line1 $line2 Quarterly figures improved across northern districts $left $right"
check "OCR: the sidecar holds the text, pages split by form feeds" eval \
    '[ "$(tr -cd "\f" <"$work/out/text.txt" | wc -c)" -eq 3 ] &&
     grep -q "^$line1$" "$work/out/text.txt"'
# The sidecar is put in place at the end, and never over a picture or a PDF of the job.
cp "$work/in/photo.png" "$work/in/keep.png"
run --ocr eng --ocr-sidecar "$work/in/keep.png" -o "$work/out/keep.pdf" "$work/in/keep.png"
check "sidecar named as the picture: the picture kept and converted ($err)" eval \
    'cmp -s "$work/in/keep.png" "$work/in/photo.png" && grep -q "one of the pictures" <<<"$err" &&
     pdfinfo "$work/out/keep.pdf" | grep -q "^Pages: *1$"'
run --ocr eng --ocr-sidecar "$work/out/keep.pdf" -o "$work/out/keep.pdf" "$work/in/photo.png"
check "sidecar named as the PDF: the PDF kept ($err)" eval \
    'pdfinfo "$work/out/keep.pdf" >/dev/null && grep -q "a PDF has that name" <<<"$err" &&
     [ -z "$(find "$work/out" -name "*.pwnew-*")" ]'
echo old >"$work/out/old.txt"
head -c 2000 "$work/in/page.png" >"$work/in/cut.png"
run --ocr eng --ocr-sidecar "$work/out/old.txt" -o "$work/out/none.pdf" "$work/in/cut.png"
check "no PDF written: status 3, the old text file kept" test "$status:$(cat "$work/out/old.txt")" = "3:old"
# A word's box covers its place on the picture: drawn from 30 pixels in, its letters 44 to
# 65 pixels down (150 dpi: 14.4 pt in, 21.1 to 31.2 pt down).
box=$(pdftotext -q -bbox "$work/out/ocr.pdf" - | grep -m1 '>Pagewright<' | tr -dc '0-9. ')
read -r left top right bottom _ <<<"$box"
check "OCR: a word's box is where the picture shows it ($box)" \
    awk -v l="$left" -v t="$top" -v r="$right" -v b="$bottom" 'BEGIN {
        exit !(l > 14 && l < 17 && t > 19 && t < 22 && r > 70 && r < 75 && b > 31 && b < 36) }'

run -o "$work/out/plain.pdf" "$work/in/page.png" "$work/in/scan.jpg" "$work/in/columns.png" \
    "$work/in/photo.png"
pdftoppm -r 40 "$work/out/ocr.pdf" "$work/out/with"
pdftoppm -r 40 "$work/out/plain.pdf" "$work/out/without"
same=yes
for page in "$work"/out/with-*.ppm; do
    cmp -s "$page" "${page/with-/without-}" || same=no
done
check "OCR: the pages render the same with and without the text" test "$same" = yes
pdfimages -f 2 -l 2 -all "$work/out/ocr.pdf" "$work/out/image"
check "OCR: the JPEG is embedded byte for byte" cmp -s "$work/out/image-000.jpg" "$work/in/scan.jpg"

# A lossless page keeps every pixel under its text (8 bits, as pdfimages writes them).
convert "$work/in/page.png" -depth 8 "$work/in/page8.png"
run --ocr eng --quality lossless -o "$work/out/lossless.pdf" "$work/in/page8.png"
pdfimages -png "$work/out/lossless.pdf" "$work/out/lossless"
check "OCR: a lossless page keeps every pixel, and has its words" eval \
    '[ "$(compare -metric AE "$work/out/lossless-000.png" "$work/in/page8.png" null: 2>&1)" = 0 ] &&
     [ "$(words "$work/out/lossless.pdf")" = "$line1 $line2" ]'

# A black-and-white page is stored as JBIG2 and read like any other, also as the second
# page of a TIFF whose first page is in colour.
convert "$work/in/page.png" -fill red -draw "rectangle 0,0 8,8" -depth 8 "$work/in/colour.tif"
convert "$work/in/page.png" -monochrome -depth 1 "$work/in/bilevel.tif"
tiffcp "$work/in/colour.tif" "$work/in/bilevel.tif" "$work/in/mixed.tif"
run --ocr eng -o "$work/out/mixed.pdf" "$work/in/mixed.tif"
check "OCR on a colour page and a black-and-white page: the words of both ($err)" eval \
    '[ "$(words "$work/out/mixed.pdf")" = "$line1 $line2 $line1 $line2" ] &&
     [ "$(pdfimages -list "$work/out/mixed.pdf" | awk "NR > 2 { print \$9 }" | paste -sd,)" = jpeg,jbig2 ]'

# Upright, turned by --rotate 90 and drawn sideways (read so without --auto-rotate): pdftotext,
# its raw order and MuPDF give the words in order, a space between each two (poppler's raw
# order sets each word of a turned line on a line of its own). An upright line keeps its
# spaces in raw order too.
run --ocr eng -o "$work/out/upright.pdf" "$work/in/page.png"
run --ocr eng --rotate 90 -o "$work/out/turned.pdf" "$work/in/page.png"
run --ocr eng -o "$work/out/sideways.pdf" "$work/in/turned.png"
for how in upright turned sideways; do
    pdf=$work/out/$how.pdf
    check "$how: the words in order with pdftotext, -raw and MuPDF ($(words -raw "$pdf"))" eval \
        '[ "$(words "$pdf")" = "$line1 $line2" ] && [ "$(words -raw "$pdf")" = "$line1 $line2" ] &&
         [ "$(mupdf_words "$pdf")" = "$line1 $line2" ]'
done
check "upright: -raw gives each line with its spaces" eval \
    'pdftotext -q -raw "$work/out/upright.pdf" - | grep -qx "$line2"'
# Without the orientation data a page is read as it is shown.
mkdir "$work/no-osd"
ln -s "${TESSDATA_PREFIX:-/usr/share/tesseract-ocr/5/tessdata}/eng.traineddata" "$work/no-osd/"
TESSDATA_PREFIX=$work/no-osd run --ocr eng -o "$work/out/no-osd.pdf" "$work/in/page.png"
check "without orientation data: read as shown ($status: $err)" eval \
    '[ "$status:$err" = "0:" ] && [ "$(words -raw "$work/out/no-osd.pdf")" = "$line1 $line2" ]'

# A page longer than Tesseract takes (1000 x 40000) is read in strips: a line at the top, one
# where two strips overlap and one at the foot, each once and in order.
for k in 1 2 3; do
    convert -size 1000x60 xc:white -font "$font" -pointsize 30 -fill black \
        -annotate +20+42 "Line $k of the long receipt" -depth 8 "$work/in/line$k.pgm"
done
python3 - "$work/in/receipt.png" "$work/in" <<'PY'
import re, struct, sys, zlib
# A white 1000 x 40000 grey PNG at 300 dpi with line1..3.pgm 100, 19985 and 39900 pixels down
# (ImageMagick's policy refuses pictures this long).
rows = {}
for k, top in ((1, 100), (2, 19985), (3, 39900)):
    data = open(f"{sys.argv[2]}/line{k}.pgm", "rb").read()
    head = re.match(rb"P5\s+(\d+)\s+(\d+)\s+255\s", data)
    width, height = int(head[1]), int(head[2])
    pixels = data[head.end():]
    for row in range(height):
        rows[top + row] = pixels[row * width:(row + 1) * width]
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
z = zlib.compressobj()
blank = b"\xff" * 1000
data = b"".join(z.compress(b"\0" + rows.get(y, blank)) for y in range(40000)) + z.flush()
with open(sys.argv[1], "wb") as out:
    out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1000, 40000, 8, 0, 0, 0, 0)) +
              chunk(b"pHYs", struct.pack(">IIB", 11811, 11811, 1)) + chunk(b"IDAT", data) +
              chunk(b"IEND", b""))
PY
run --ocr eng -o "$work/out/receipt.pdf" "$work/in/receipt.png"
receipt="Line 1 of the long receipt Line 2 of the long receipt Line 3 of the long receipt"
check "a page too long for Tesseract: its lines once each, in order ($status: $err)" eval \
    '[ "$status" -eq 0 ] && [ "$(words -raw "$work/out/receipt.pdf")" = "$receipt" ] &&
     [ "$(mupdf_words "$work/out/receipt.pdf")" = "$receipt" ]'

# Paper size, margin and a turn of the user's setting a sideways scan upright: the text
# follows the picture.
run --ocr eng --page-size A5 --margin 20 --rotate 270 -o "$work/out/a5.pdf" "$work/in/turned.png"
check "OCR on a turned A5 page: the words in order" test "$(words "$work/out/a5.pdf")" = \
    "$line1 $line2"

# Two pictures on one sheet: each picture's words over its own cell.
run --ocr eng --page-size A4 --orientation portrait --per-sheet 1x2 -o "$work/out/sheet.pdf" \
    "$work/in/page.png" "$work/in/scan.jpg"
check "OCR on a shared sheet: one page, both pictures' words in order" \
    test "$(pdfinfo "$work/out/sheet.pdf" | grep -c '^Pages: *1$'):$(words -raw "$work/out/sheet.pdf")" = \
    "1:$line1 $line2 Quarterly figures improved across northern districts"
top=$(pdftotext -q -bbox "$work/out/sheet.pdf" - | grep -m1 '>Quarterly<' | sed 's/.*yMin="\([0-9.]*\)".*/\1/')
check "OCR on a shared sheet: the second picture's words in the lower cell ($top)" \
    awk -v t="$top" 'BEGIN { exit !(t > 421 && t < 842) }'

# One PDF per picture: each gets its own words.
run --each --ocr eng -o "$work/out/each" "$work/in/page.png" "$work/in/scan.jpg"
check "OCR per picture: each PDF has its words" eval \
    '[ "$(words "$work/out/each/page.pdf")" = "$line1 $line2" ] &&
     [ "$(words "$work/out/each/scan.pdf")" = "Quarterly figures improved across northern districts" ]'

# A sideways scan is set upright by --auto-rotate, and its words read.
run --ocr eng --auto-rotate -o "$work/out/upright.pdf" "$work/in/turned.png" "$work/in/photo.png"
check "auto-rotate: the scan is turned upright, the photo is not turned" eval \
    '[ "$(pdfinfo -f 1 -l 2 "$work/out/upright.pdf" | grep -o "size: *[0-9.]* x [0-9.]*" |
          tr -s " " | paste -sd,)" = "size: 336.029 x 105.609,size: 225 x 150" ]'
check "auto-rotate: the words in order" test "$(words "$work/out/upright.pdf")" = "$line1 $line2"

# A page scanned askew is straightened by --deskew before its text is read, which finds the
# words in order.
convert "$work/in/columns.png" -background white -rotate 4 "$work/in/askew.png"
run --ocr eng --deskew -o "$work/out/level.pdf" "$work/in/askew.png"
found=$(words -raw "$work/out/level.pdf")
check "deskew with OCR: the words in order ($status: $err: $found)" \
    test "$status:$found" = "0:$both_columns"

# Recognition that cannot run fails the job. Language data that is not language data, empty or
# cut short is refused before anything is made: status 1, the file and its package named.
data=${TESSDATA_PREFIX:-/usr/share/tesseract-ocr/5/tessdata}
mkdir "$work/broken" "$work/empty" "$work/cut"
echo "not language data" >"$work/broken/eng.traineddata"
: >"$work/empty/eng.traineddata"
head -c 100000 "$data/eng.traineddata" >"$work/cut/eng.traineddata"
for kind in broken empty cut; do
    TESSDATA_PREFIX=$work/$kind run --ocr eng -o "$work/out/unread.pdf" "$work/in/page.png"
    check "$kind language data: status 1, the file and package named ($err)" eval \
        '[ "$status" -eq 1 ] && grep -q "$kind/eng.traineddata: .*(reinstall tesseract-ocr-eng)" <<<"$err" &&
         [ ! -e "$work/out/unread.pdf" ]'
done
# Data that passes that look but that Tesseract cannot load (its table holds a version and no
# model): the pages are made without text, each named with the reason, status 2.
mkdir "$work/hollow"
python3 -c 'import struct, sys; n = 24; sys.stdout.buffer.write(struct.pack("<I", n) +
    struct.pack("<%dq" % n, *([-1] * 23 + [4 + 8 * n])) + b"4.00.00alpha:eng")' \
    >"$work/hollow/eng.traineddata"
TESSDATA_PREFIX=$work/hollow run --ocr eng -o "$work/out/unread.pdf" "$work/in/page.png" \
    "$work/in/scan.jpg"
reason="no text recognised: the text recognition data for eng could not be loaded"
check "data Tesseract cannot load: status 2, both pages made, each named ($err)" eval \
    '[ "$status" -eq 2 ] && pdfinfo "$work/out/unread.pdf" | grep -q "^Pages: *2$" &&
     grep -qx "pagewright convert: $work/in/page.png: $reason" <<<"$err" &&
     grep -qx "pagewright convert: $work/in/scan.jpg: $reason" <<<"$err"'

# Language names: none, one not installed (named with its package), or in another letter case.
run --ocr "" -o "$work/out/none.pdf" "$work/in/page.png"
check "empty language: status 1, said ($err)" eval \
    '[ "$status" -eq 1 ] && grep -q "no text recognition language was given" <<<"$err" &&
     [ ! -e "$work/out/none.pdf" ]'
TESSDATA_PREFIX=$work/in run --ocr deu -o "$work/out/none.pdf" "$work/in/page.png"
check "missing language: status 1, the package named ($err)" eval \
    '[ "$status" -eq 1 ] && grep -q "tesseract-ocr-deu" <<<"$err" && [ ! -e "$work/out/none.pdf" ]'
run --ocr xyz -o "$work/out/none.pdf" "$work/in/page.png"
check "unknown language: status 1, named ($err)" eval \
    '[ "$status" -eq 1 ] && grep -q "data for xyz is not installed" <<<"$err" &&
     [ ! -e "$work/out/none.pdf" ]'
run --ocr ENG -o "$work/out/upper.pdf" "$work/in/page.png"
check "language in capitals: read as eng ($err)" eval \
    '[ "$status" -eq 0 ] && [ "$(words "$work/out/upper.pdf")" = "$line1 $line2" ]'

checks_finish cli_ocr
