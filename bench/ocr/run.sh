#!/usr/bin/env bash
# Searchable PDFs: `pagewright convert --ocr eng` against img2pdf followed by
# `ocrmypdf -l eng --jobs CORES` on the same scanned-page pictures, side by side.
#   bench/ocr/run.sh [path/to/pagewright]
#   PAGES=100 (the pictures), LADDER="100 1000" (page counts of the memory ladder), BEST=1,
#   PICTURES=DIR keeps the generated pictures there for the next run
# Prints both times and their ratio (target <= 0.6), the word recall of each PDF's pdftotext
# against the known text of the pages, and Pagewright's peak memory (max RSS) for each count
# of the ladder, made of small pictures of text so the ladder stays quick.
set -euo pipefail

# shellcheck source=../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
bench_program "${1:-}"
pages=${PAGES:-100}
ladder=${LADDER:-100 1000}
best_of=${BEST:-1}
cores=$(nproc)
bench_require img2pdf ocrmypdf pdftotext convert python3
bench_private_user ocr-bench
pictures=${PICTURES:-$work/pictures}
mkdir -p "$work/out" "$pictures"
font=/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf

# Pages of known text: 36 lines of words drawn from a fixed list, at 200 dpi on a letter page,
# slightly blurred and noisy as scans are, saved as JPEG (quality 85).
if [[ ! -f $pictures/made-$pages ]]; then
rm -rf "$pictures/pages" "$pictures/small"
mkdir -p "$pictures/pages" "$pictures/small"
python3 - "$pictures/pages" "$pages" <<'PY'
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
rng = random.Random(42)
folder, count = sys.argv[1], int(sys.argv[2])
for page in range(count):
    lines = [" ".join(rng.choice(words) for _ in range(rng.randint(7, 10))) for _ in range(36)]
    with open(f"{folder}/p{page:04d}.txt", "w") as out:
        out.write("\n".join(lines) + "\n")
PY
for text in "$pictures"/pages/*.txt; do
    convert -size 1700x2200 xc:white -font "$font" -pointsize 30 -fill black \
        -annotate +150+180 "$(cat "$text")" -blur 0x0.6 -attenuate 0.4 +noise Gaussian \
        -colorspace Gray -density 200 -units PixelsPerInch -quality 85 "${text%.txt}.jpg"
done
for ((k = 0; k < 10; k++)); do
    convert -size 600x300 xc:white -font "$font" -pointsize 24 -fill black \
        -annotate +40+60 "Small page $k of the memory ladder\nwith two more lines of\ntext" \
        -density 150 -units PixelsPerInch -quality 85 "$pictures/small/s$k.jpg"
done
touch "$pictures/made-$pages"
fi
[[ -z ${GENERATE_ONLY:-} ]] || exit 0
ln -s "$pictures/pages" "$work/pages"
ln -s "$pictures/small" "$work/small"

# best TIMES_FILE COMMAND...: the best wall time (s) of BEST runs, and its max RSS (KB).
best() {
    local file=$1
    shift
    local best_time= best_rss=
    for ((r = 0; r < best_of; r++)); do
        rm -f "$work"/out/*.pdf
        /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/err" ||
            { cat "$work/err" >&2; exit 1; }
        read -r elapsed rss <"$work/time"
        if [[ -z $best_time ]] || awk -v a="$elapsed" -v b="$best_time" 'BEGIN { exit !(a < b) }'; then
            best_time=$elapsed best_rss=$rss
        fi
    done
    echo "$best_time $best_rss" >"$file"
}
peer() {
    img2pdf -o "$work/out/peer-in.pdf" "$work"/pages/*.jpg &&
        ocrmypdf -q -l eng --jobs "$cores" --output-type pdf --optimize 0 \
            "$work/out/peer-in.pdf" "$work/out/peer.pdf"
}
ours() {
    "$program" convert -q --overwrite --ocr eng -o "$work/out/ours.pdf" "$work"/pages/*.jpg
}
export -f peer ours
export work program cores

best "$work/peer.t" bash -c 'peer && cp "$work/out/peer.pdf" "$work/peer.keep"'
best "$work/ours.t" bash -c 'ours && cp "$work/out/ours.pdf" "$work/ours.keep"'
read -r peer_time peer_rss <"$work/peer.t"
read -r our_time our_rss <"$work/ours.t"

recall() { # recall PDF: the share of the known words pdftotext finds, page by page
    pdftotext -q "$1" "$work/found.txt"
    python3 - "$work/found.txt" "$work/pages" <<'PY'
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
peer_recall=$(recall "$work/peer.keep")
our_recall=$(recall "$work/ours.keep")

echo "pages: $pages scanned pages (1700 x 2200, 200 dpi JPEG), $cores cores, best of $best_of"
echo "img2pdf + ocrmypdf: ${peer_time} s, recall ${peer_recall} %, peak ${peer_rss} KB"
echo "pagewright --ocr:   ${our_time} s, recall ${our_recall} %, peak ${our_rss} KB"
echo "time ratio (target <= 0.6): $(awk -v a="$our_time" -v b="$peer_time" 'BEGIN { printf "%.3f", a / b }')"

# The memory ladder: the job's peak memory for each page count.
small=("$work"/small/*.jpg)
for count in $ladder; do
    rm -rf "$work/ladder"
    mkdir -p "$work/ladder"
    for ((k = 0; k < count; k++)); do
        ln "${small[$((k % ${#small[@]}))]}" "$work/ladder/$(printf 'l%05d' "$k").jpg"
    done
    /usr/bin/time -f '%e %M' -o "$work/time" "$program" convert -q --overwrite --ocr eng \
        -o "$work/out/ladder.pdf" "$work"/ladder/*.jpg
    read -r elapsed rss <"$work/time"
    echo "ladder: $count small pages: ${elapsed} s, peak ${rss} KB"
done
