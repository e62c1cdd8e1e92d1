#!/usr/bin/env bash
# 20 pictures joined with one PDF of many pages, against its peers side by side in one run:
# `qpdf --empty --pages big.pdf -- out.pdf` plus `img2pdf` of the 20 pictures (their times
# summed), best of BEST (3) wall times; and Pagewright's peak memory at two page counts.
#   bench/pdfin/run.sh [PATH/TO/PAGEWRIGHT]
#   PAGES=2000 SMALL_PAGES=200 BEST=3 (the defaults)
# The PDF's pages each hold their own line of Helvetica text and a link, written by Python
# here; the pictures are 1600 x 1200 JPEGs written by Pillow.
set -euo pipefail

# shellcheck source=../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
bench_program "${1:-}"
pages=${PAGES:-2000}
small=${SMALL_PAGES:-200}
best_of=${BEST:-3}
bench_require img2pdf qpdf pdfinfo /usr/bin/time
bench_private_user pdfin
mkdir -p "$work/pics"
/usr/bin/python3 - "$work" "$pages" "$small" <<'PY' # Debian's, with python3-pil
import sys
from PIL import Image, ImageDraw
work, counts = sys.argv[1], [int(n) for n in sys.argv[2:]]
for i in range(20):
    picture = Image.new("RGB", (1600, 1200), (40 + i * 10, 120, 200 - i * 5))
    ImageDraw.Draw(picture).ellipse((100 + i * 20, 100, 900 + i * 20, 900), fill=(250, 240, 20))
    picture.save(f"{work}/pics/p{i:02d}.jpg", quality=90, dpi=(150, 150))
for count in counts:
    objects = {1: b"<< /Type /Catalog /Pages 2 0 R >>",
               3: b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"}
    kids = []
    for n in range(count):
        page, content = 4 + 2 * n, 5 + 2 * n
        text = f"BT /F1 18 Tf 72 720 Td (Page {n + 1} of the long document) Tj ET".encode()
        objects[content] = b"<< /Length %d >>\nstream\n%s\nendstream" % (len(text), text)
        objects[page] = (b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] "
                         b"/Resources << /Font << /F1 3 0 R >> >> /Contents %d 0 R "
                         b"/Annots [<< /Type /Annot /Subtype /Link /Rect [72 700 300 740] "
                         b"/A << /S /URI /URI (https://example.org/%d) >> >>] >>" % (content, n))
        kids.append(b"%d 0 R" % page)
    objects[2] = b"<< /Type /Pages /Kids [" + b" ".join(kids) + b"] /Count %d >>" % count
    out = bytearray(b"%PDF-1.4\n")
    offsets = {}
    for number in sorted(objects):
        offsets[number] = len(out)
        out += b"%d 0 obj\n" % number + objects[number] + b"\nendobj\n"
    xref = len(out)
    size = max(objects) + 1
    out += b"xref\n0 %d\n0000000000 65535 f \n" % size
    for number in range(1, size):
        out += b"%010d 00000 n \n" % offsets[number]
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (size, xref)
    open(f"{work}/big{count}.pdf", "wb").write(out)
PY

now() { echo "${EPOCHREALTIME/./}"; } # microseconds
best() { # best OUT COMMAND...: the best wall time of BEST runs in microseconds
    local out=$1 top= start t
    shift
    for ((r = 0; r < best_of; r++)); do
        rm -f "$out"
        start=$(now)
        "$@" >/dev/null
        t=$(($(now) - start))
        [[ -z $top || $t -lt $top ]] && top=$t
    done
    echo "$top"
}
peak() { # peak COMMAND...: the largest resident set of the command and its children, in kB
    /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null
    cat "$work/rss"
}
pictures=("$work"/pics/p0*.jpg)
later=("$work"/pics/p1*.jpg)
ours_args() { ours=("$program" convert -q -o "$work/out.pdf" "${pictures[@]}" "$work/big$1.pdf" "${later[@]}"); }
ours_args "$pages"
ours_time=$(best "$work/out.pdf" "${ours[@]}")
[[ $(pdfinfo "$work/out.pdf" | awk '/^Pages:/{print $2}') == $((pages + 20)) ]] ||
    { echo "pagewright did not give $((pages + 20)) pages" >&2; exit 1; }
copy=$(best "$work/copy.pdf" qpdf --empty --pages "$work/big$pages.pdf" -- "$work/copy.pdf")
join=$(best "$work/pics.pdf" img2pdf -o "$work/pics.pdf" "$work"/pics/*.jpg)
awk -v a="$ours_time" -v b="$copy" -v c="$join" -v n="$pages" 'BEGIN {
    printf "20 pictures and a PDF of %d pages: ours %.2f s, qpdf %.2f s + img2pdf %.2f s, ratio %.2f\n",
        n, a / 1e6, b / 1e6, c / 1e6, a / (b + c) }'
for count in "$small" "$pages"; do
    ours_args "$count"
    echo "peak memory with a PDF of $count pages: $(peak "${ours[@]}") kB" \
        "(qpdf alone: $(peak qpdf --empty --pages "$work/big$count.pdf" -- "$work/copy.pdf") kB)"
done
