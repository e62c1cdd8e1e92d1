#!/usr/bin/env bash
# Searchable PDFs: `pagewright convert --ocr eng` against plain `tesseract PAGE OUT pdf` (one
# process a page, as many at once as there are cores) on the same generated pages, side by side:
# upright pages, the same pages turned by `--rotate 90` (tesseract gets them turned), pages
# drawn sideways (turned a quarter one way or the other), and one 16000 x 12000 page. With OCRmyPDF installed, `ocrmypdf -l eng` on the
# same pages too.
#   bench/ocr/tesseract.sh [path/to/pagewright]
#   PAGES=10 (pages a set), BIG=0 leaves out the large page, SETS="upright big" runs only
#   those sets, PICTURES=DIR keeps the pictures
# Prints, for each set and program: wall time, peak memory (the largest process's max RSS)
# and word recall with pdftotext and pdftotext -raw; then the ratios Pagewright / tesseract.
set -euo pipefail

# shellcheck source=../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
bench_program "${1:-}"
pages=${PAGES:-10}
big=${BIG:-1}
cores=$(nproc)
bench_require tesseract pdftotext pdfinfo mutool convert python3
peers=(tesseract)
if command -v ocrmypdf >/dev/null; then
    bench_require img2pdf
    peers+=(ocrmypdf)
fi
bench_private_user ocr-tesseract
pictures=${PICTURES:-$work/pictures}
mkdir -p "$work/out" "$pictures"

# Pages of known text at 300 dpi, 2480 x 3508 (A4): six paragraphs of words drawn from a fixed
# list, each set by ImageMagick's caption: in DejaVu Sans 11 pt, stacked with a margin. The
# sideways set is each page turned a quarter, clockwise and anticlockwise in turn (plain
# tesseract reads the one and not the other); the large page repeats a 4000 x 3000 block of
# text 4 x 4 (ImageMagick's policy refuses pictures that large, so Python writes the PNG).
if [[ ! -f $pictures/made-3-$pages-$big ]]; then
rm -rf "$pictures"/{upright,sideways,big}
mkdir -p "$pictures/upright" "$pictures/sideways" "$pictures/big"
python3 - "$pictures/upright" "$pages" <<'PY'
import random, sys
words = """the of and to in is was for that with as on by at from his her it an be this are
which or had not but were have their they one all been has more its who also first new
after two other when into time only some would over most city between there can such made
during then where years year many school under while later both world since these than
north south east west river county village market report public water health museum
history council station building garden library season number family church railway
bridge island harbour valley mountain forest summer winter autumn spring morning evening
letter paper record office company service system program result figure table chapter
section article question answer example reason change member people country region""".split()
rng = random.Random(7)
folder, count = sys.argv[1], int(sys.argv[2])
for page in range(count):
    for part in range(6):
        text = " ".join(rng.choice(words) for _ in range(55))
        with open(f"{folder}/p{page:03d}-{part}.txt", "w") as out:
            out.write(text + "\n")
PY
for ((p = 0; p < pages; p++)); do
    stem=$(printf '%s/upright/p%03d' "$pictures" "$p")
    parts=()
    for part in 0 1 2 3 4 5; do
        parts+=(\( -size 2080x -background white -fill black -font DejaVu-Sans -pointsize 44
            caption:"$(cat "$stem-$part.txt")" -gravity north -extent 2080x450 \))
    done
    convert "${parts[@]}" -append -bordercolor white -border 200x200 -gravity center \
        -extent 2480x3508 -colorspace Gray -depth 8 -density 300 -units PixelsPerInch \
        "$stem.png"
    cat "$stem"-?.txt >"$stem.txt"
    rm "$stem"-?.txt
    convert "$stem.png" -rotate $((p % 2 == 0 ? 90 : 270)) "$pictures/sideways/$(basename "$stem").png"
    cp "$stem.txt" "$pictures/sideways/"
done
if [[ $big == 1 ]]; then
    python3 -c 'import random; r = random.Random(3); print(" ".join(r.choice(
        "the of and to in is was for that with as on by at from north south east west river".split())
        for _ in range(700)))' >"$pictures/big/block.txt"
    convert -size 4000x3000 xc:white -font DejaVu-Sans -pointsize 36 -fill black \
        -annotate +60+80 "$(fold -s -w 160 "$pictures/big/block.txt")" -colorspace Gray \
        -depth 8 "$pictures/big/block.pgm"
    python3 - "$pictures/big/block.pgm" "$pictures/big/big.png" <<'PY'
import re, struct, sys, zlib
data = open(sys.argv[1], "rb").read()
head = re.match(rb"P5\s+(\d+)\s+(\d+)\s+255\s", data)
width, height = int(head[1]), int(head[2])
rows = [data[head.end() + y * width:head.end() + (y + 1) * width] for y in range(height)]
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
z = zlib.compressobj()
with open(sys.argv[2], "wb") as out:
    out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4 * width, 4 * height, 8, 0, 0, 0, 0)) +
              chunk(b"pHYs", struct.pack(">IIB", 11811, 11811, 1)))
    for _ in range(4):
        out.write(chunk(b"IDAT", b"".join(z.compress(b"\0" + row * 4) for row in rows)))
    out.write(chunk(b"IDAT", z.flush()) + chunk(b"IEND", b""))
PY
    for ((k = 0; k < 16; k++)); do cat "$pictures/big/block.txt"; done >"$pictures/big/big.txt"
    rm "$pictures/big/block.pgm" "$pictures/big/block.txt"
fi
touch "$pictures/made-3-$pages-$big"
fi

# measure NAME COMMAND...: wall time (s) and the largest process's max RSS (KB) in NAME.t.
measure() {
    local name=$1
    shift
    /usr/bin/time -f '%e %M' -o "$work/$name.t" "$@" >/dev/null 2>"$work/err" ||
        { cat "$work/err" >&2; exit 1; }
}
# recall NAME KNOWN_FOLDER OPTIONS: the share of the known words (counted with repeats) that
# pdftotext OPTIONS finds, page by page, in NAME.pdf, or in NAME-*.pdf one page each.
# OPTIONS "mupdf" reads the text with MuPDF (`mutool draw -F txt`), which ends each page with
# a form feed as pdftotext does.
text_of() { # text_of PDF OPTIONS: the PDF's text on stdout
    if [[ $2 == mupdf ]]; then
        local pages page
        pages=$(pdfinfo "$1" | awk '/^Pages:/ { print $2 }')
        for ((page = 1; page <= pages; page++)); do
            mutool draw -q -F txt -o - "$1" "$page" 2>/dev/null # ends with a form feed
        done
    else
        pdftotext -q ${2:+"$2"} "$1" -
    fi
}
recall() {
    local name=$1 known=$2 options=$3
    if [[ -f $work/out/$name.pdf ]]; then
        text_of "$work/out/$name.pdf" "$options" >"$work/found.txt"
    else
        : >"$work/found.txt"
        for pdf in "$work/out/$name"-*.pdf; do
            text_of "$pdf" "$options" >>"$work/found.txt"
        done
    fi
    python3 - "$work/found.txt" "$known" <<'PY'
import collections, glob, re, sys
found = open(sys.argv[1], encoding="utf-8", errors="replace").read().split("\f")
known = sorted(glob.glob(sys.argv[2] + "/*.txt"))
total = hit = 0
for i, path in enumerate(known):
    want = collections.Counter(re.findall(r"[a-z]+", open(path).read().lower()))
    got = collections.Counter(re.findall(r"[a-z]+", found[i].lower() if i < len(found) else ""))
    total += sum(want.values())
    hit += sum((want & got).values())
print(f"{100.0 * hit / total:.2f}")
PY
}

# tesseract, a process a page, one thread each, as many at once as there are cores.
tesseract_pages() {
    local name=$1 folder=$2
    printf '%s\n' "$folder"/*.png | OMP_THREAD_LIMIT=1 xargs -P "$cores" -I{} sh -c \
        'tesseract "$1" "$2-$(basename "$1" .png)" -l eng pdf 2>/dev/null' sh {} "$work/out/$name"
}
ocrmypdf_pages() {
    local name=$1 folder=$2
    img2pdf -o "$work/out/$name-in.pdf" "$folder"/*.png
    ocrmypdf -q -l eng --jobs "$cores" --output-type pdf --optimize 0 "$work/out/$name-in.pdf" \
        "$work/out/$name.pdf"
    rm "$work/out/$name-in.pdf"
}
export -f tesseract_pages ocrmypdf_pages
export work cores

report() { # report SET NAME: its line
    local set=$1 name=$2
    read -r time rss <"$work/$set-$name.t"
    printf '%-10s %-22s %8.1f s %8.1f MB  recall %6s %%  -raw %6s %%  mupdf %6s %%\n' "$set" \
        "$name" "$time" "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')" \
        "$(recall "$set-$name" "$3" "")" "$(recall "$set-$name" "$3" -raw)" \
        "$(recall "$set-$name" "$3" mupdf)"
}

ours() { # ours SET FOLDER [OPTIONS...]
    local set=$1 folder=$2
    shift 2
    measure "$set-pagewright" "$program" convert -q --overwrite --ocr eng "$@" \
        -o "$work/out/$set-pagewright.pdf" "$folder"/*.png
}

echo "pages: $pages a set (2480 x 3508, 300 dpi), $cores cores; $(tesseract --version 2>&1 | head -1)"
sets=(upright turned sideways)
[[ $big == 1 ]] && sets+=(big)
[[ -z ${SETS:-} ]] || read -r -a sets <<<"$SETS"
for set in "${sets[@]}"; do
    case $set in
    upright | big) folder=$pictures/$set extra=() ;;
    turned) folder=$pictures/upright extra=(--rotate 90) ;;
    sideways) folder=$pictures/sideways extra=() ;;
    esac
    # The peers get the pictures as Pagewright shows them.
    peer_folder=$folder
    if [[ $set == turned ]]; then
        peer_folder=$work/turned
        mkdir -p "$peer_folder"
        for picture in "$folder"/*.png; do
            convert "$picture" -rotate 90 "$peer_folder/$(basename "$picture")"
        done
    fi
    ours "$set" "$folder" "${extra[@]}"
    report "$set" pagewright "$folder"
    for peer in "${peers[@]}"; do
        [[ $peer == ocrmypdf && $set == big ]] && continue
        measure "$set-$peer" bash -c "${peer}_pages $set-$peer '$peer_folder'"
        report "$set" "$peer" "$folder"
    done
    read -r our_time our_rss <"$work/$set-pagewright.t"
    read -r peer_time peer_rss <"$work/$set-tesseract.t"
    echo "$set: pagewright / tesseract: time $(awk -v a="$our_time" -v b="$peer_time" \
        'BEGIN { printf "%.2f", a / b }'), peak memory $(awk -v a="$our_rss" -v b="$peer_rss" \
        'BEGIN { printf "%.2f", a / b }')"
done
