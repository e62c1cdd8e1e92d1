#!/usr/bin/env bash
# `pagewright convert --ocr` on PDFs of the list: scanned pages (made by the builder itself and
# by img2pdf, JPEG, Flate and Group 4 pictures) get their words where the picture shows them,
# also on a page with /Rotate 90 and on an item turned by --rotate; their content streams stay
# as they were; a page with text is not read again; a JBIG2 picture is passed over with a notice.
# Usage: cli_ocr_pdf.sh PATH_TO_PAGEWRIGHT
# shellcheck source=ocr_prologue.sh
. "$(dirname "$0")/ocr_prologue.sh" "${1:-}" ocr-pdf
# The data of the content streams of page 1, one after another.
contents() {
    local object
    for object in $(qpdf --show-pages "$1" | awk '/^    [0-9]+ [0-9]+ R$/ { print $1 }' |
        head -"${2:-99}"); do
        qpdf --show-object="$object" --filtered-stream-data "$1"
    done
}
line1="Pagewright reads every picture" line2="and lays its words over the page"
convert -size 700x220 xc:white -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
    -pointsize 22 -fill black -annotate +30+60 "$line1" -annotate +30+120 "$line2" \
    -density 150 -units PixelsPerInch "$work/in/page.png"
convert "$work/in/page.png" -rotate 270 "$work/in/sideways.png"
convert "$work/in/page.png" -monochrome -compress Group4 "$work/in/g4.tif"

# Scanned PDFs: one of the builder's own (a JPEG), two by img2pdf (Flate, Group 4), and a
# sideways picture on a page with /Rotate 90, which shows it upright.
run -o "$work/in/scan.pdf" "$work/in/page.png"
run -o "$work/in/sideways.pdf" "$work/in/sideways.png"
qpdf --rotate=+90 "$work/in/sideways.pdf" "$work/in/rotated.pdf"
img2pdf -o "$work/in/flate.pdf" "$work/in/page.png"
img2pdf -o "$work/in/g4.pdf" "$work/in/g4.tif"
check "the scans have no text" test -z "$(words "$work/in/scan.pdf")$(words "$work/in/g4.pdf")"
run --ocr eng -o "$work/out/ocr.pdf" "$work/in/scan.pdf" "$work/in/flate.pdf" "$work/in/g4.pdf" \
    "$work/in/rotated.pdf"
check "scanned PDFs: status 0, nothing said of their text ($status: $err)" eval \
    '[ "$status" = 0 ] && ! grep -q text <<<"$err"'
found=$(words -raw "$work/out/ocr.pdf")
check "scanned PDFs: every page's words in order, the turned page's too ($found)" test \
    "$found" = "$line1 $line2 $line1 $line2 $line1 $line2 $line1 $line2"
check "the turned page keeps its /Rotate and gives its words with pdftotext" eval \
    '[ "$(pdfinfo -f 4 -l 4 "$work/out/ocr.pdf" | grep -c "rot: *90")" = 1 ] &&
     [ "$(pdftotext -q -f 4 -l 4 "$work/out/ocr.pdf" - | tr -s " \n\f" "  " | sed "s/ $//")" = "$line1 $line2" ]'
# Drawn from 30 pixels in, its letters 44 to 65 pixels down at 150 dpi: 14.4 pt in, 21.1 to
# 31.2 pt down, on each of the first three pages.
for page in 1 2 3; do
    box=$(pdftotext -q -f $page -l $page -bbox "$work/out/ocr.pdf" - | grep -m1 '>Pagewright<' |
        tr -dc '0-9. ')
    read -r left top right bottom _ <<<"$box"
    check "page $page: a word's box is where the picture shows it ($box)" \
        awk -v l="$left" -v t="$top" -v r="$right" -v b="$bottom" 'BEGIN {
            exit !(l > 14 && l < 17 && t > 19 && t < 22 && r > 70 && r < 75 && b > 31 && b < 36) }'
done
{ printf 'q\n'; contents "$work/in/scan.pdf"; } >"$work/out/expected"
contents "$work/out/ocr.pdf" 2 >"$work/out/copied"
check "the scan's content stream is copied as it is, after a q" \
    cmp -s "$work/out/expected" "$work/out/copied"
pdftoppm -r 40 -f 1 -l 1 "$work/out/ocr.pdf" "$work/out/with"
pdftoppm -r 40 "$work/in/scan.pdf" "$work/out/without"
check "the page renders as without the text" cmp -s "$work/out/with-1.ppm" "$work/out/without-1.ppm"

# The picture drawn turned by its image matrix, on a page whose /Rotate shows it upright, and
# drawn small, with a notice.
convert "$work/in/page.png" -depth 8 "$work/in/page.pgm"
drawn() { # drawn OUT.pdf "MEDIABOX" "MATRIX" ROTATE: page.pgm drawn with MATRIX
    python3 - "$work/in/page.pgm" "$@" <<'PY'
import re, sys, zlib
data = open(sys.argv[1], "rb").read()
width, height = map(int, re.match(rb"P5\s+(\d+)\s+(\d+)\s+255\s", data).groups())
pixels = zlib.compress(data[len(data) - width * height:])
content = f"q {sys.argv[4]} cm /Im0 Do Q".encode()
objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
           b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
           f"<< /Type /Page /Parent 2 0 R /MediaBox [{sys.argv[3]}] /Rotate {sys.argv[5]}"
           " /Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R >>".encode(),
           b"<< /Length %d >>\nstream\n%s\nendstream" % (len(content), content),
           b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceGray"
           b" /BitsPerComponent 8 /Filter /FlateDecode /Length %d >>\nstream\n%s\nendstream"
           % (width, height, len(pixels), pixels)]
out = b"%PDF-1.4\n"
offsets = []
for number, body in enumerate(objects, 1):
    offsets.append(len(out))
    out += b"%d 0 obj\n%s\nendobj\n" % (number, body)
xref = len(out)
out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
open(sys.argv[2], "wb").write(out)
PY
}
# 700 x 220 pixels at 150 dpi: 336 x 105.6 points, drawn turned a quarter clockwise.
drawn "$work/in/matrix.pdf" "0 0 105.6 336" "0 -336 105.6 0 0 336" 270
drawn "$work/in/small.pdf" "0 0 595 842" "168 0 0 52.8 10 10" 0
run --ocr eng -o "$work/out/matrix.pdf" "$work/in/matrix.pdf" "$work/in/small.pdf"
box=$(pdftotext -q -l 1 -bbox "$work/out/matrix.pdf" - | grep -m1 '>Pagewright<' | tr -dc '0-9. ')
read -r left top right bottom _ <<<"$box"
check "a picture turned by its matrix: its words in order, in place ($(words -raw "$work/out/matrix.pdf"); $box)" eval \
    '[ "$(words -raw "$work/out/matrix.pdf")" = "$line1 $line2" ] &&
     awk -v l="$left" -v t="$top" -v r="$right" -v b="$bottom" "BEGIN {
         exit !(l > 14 && l < 17 && t > 19 && t < 22 && r > 70 && r < 75 && b > 31 && b < 36) }"'
check "a small picture: passed over with a notice ($err)" \
    grep -q "page 1 of small.pdf is not read: no picture covers most of it" <<<"$err"

# A PDF with text already (the one just made) is not read again, and its words are not doubled;
# an item turned by --rotate is read as it is shown.
run --ocr eng --rotate 90 -o "$work/out/again.pdf" "$work/out/ocr.pdf" "$work/in/scan.pdf"
found=$(words -raw "$work/out/again.pdf")
check "a PDF with text is not read again; a turned item is read ($status: $err; $found)" test \
    "$status:$found" = "0:$line1 $line2 $line1 $line2 $line1 $line2 $line1 $line2 $line1 $line2"

# One PDF per picture: the words reach the PDF's own copy.
run --ocr eng --each -o "$work/out" "$work/in/scan.pdf"
check "one PDF per picture: the copy has the words ($status: $err)" eval \
    '[ "$(words "$work/out/scan.pdf")" = "$line1 $line2" ]'

# A JBIG2 picture (the builder's coding of a black-and-white page) is passed over, with a notice.
run -o "$work/in/jbig2.pdf" "$work/in/g4.tif"
run --ocr eng -o "$work/out/jbig2.pdf" "$work/in/jbig2.pdf"
check "a JBIG2 page: converted without text, with a notice ($status: $err)" eval \
    '[ -z "$(words "$work/out/jbig2.pdf")" ] &&
     grep -q "page 1 of jbig2.pdf is not read: its picture is coded in JBIG2" <<<"$err"'
checks_finish cli_ocr_pdf
