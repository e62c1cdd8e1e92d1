#!/usr/bin/env bash
# The JBIG2 encoder against jbigkit's pbmtojbg (JBIG1, default and sequential `-q`) and CCITT
# Group 4 (libtiff's `tiffcp -c g4`) on the same noisy 300 dpi text pages, side by side in one
# run.
#   bench/jbig2/run.sh [build folder]     (default: build-jbig2, configured with PW_BUILD_BENCH)
#   PAGES=100 BEST=3 (the defaults)
# The pages come from make_pages.py (Pillow). Sizes are the sums over all pages: ours is the
# embedded /JBIG2Decode stream, pbmtojbg's its .jbg file (20 bytes of header), Group 4 a TIFF of
# one strip (about 200 bytes besides the coded data), made from an uncompressed TIFF. Every page of ours is decoded again by the jbig2dec command and compared with its
# PBM. Times: ours per page is the best of BEST encodings of the page in memory; the whole-run
# times (best of BEST) are one process over all PBM files for ours, one process a page for the
# peers, reading from the page cache.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
build=${1:-$bench_root/build-jbig2}
pages=${PAGES:-100}
best_of=${BEST:-3}
bench_require pbmtojbg jbig2dec tiffcp /usr/bin/python3
driver=$build/bench/jbig2/jbig2_bench
# A tree that is mid-change elsewhere may not configure; the last good build is used then.
if ! { cmake -S "$bench_root" -B "$build" -DPW_BUILD_BENCH=ON &&
    cmake --build "$build" -j2 --target jbig2_bench; } >/dev/null 2>&1; then
    echo "note: could not rebuild; using the existing jbig2_bench" >&2
fi
[[ -x $driver ]] || { echo "jbig2_bench not built" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-jbig2.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pages" "$work/ours" "$work/jbig" "$work/jbigq" "$work/g4"
parts=$(nproc)
for ((part = 0; part < parts; part++)); do
    /usr/bin/python3 "$here/make_pages.py" "$work/pages" "$pages" "$part" "$parts" &
done
wait
list=("$work"/pages/*.pbm)
[[ ${#list[@]} -eq $pages ]] || { echo "only ${#list[@]} of $pages pages made" >&2; exit 1; }
cat "${list[@]}" "$work"/pages/*.tif >/dev/null

now() { echo "${EPOCHREALTIME/./}"; } # microseconds
best() { # best COMMAND...: the best wall time of BEST runs in microseconds
    local top='' start t
    for ((r = 0; r < best_of; r++)); do
        start=$(now)
        "$@" >/dev/null
        t=$(($(now) - start))
        [[ -z $top || $t -lt $top ]] && top=$t
    done
    echo "$top"
}
ours_all() { "$driver" "$work/ours" 1 "${list[@]}"; }
jbig_default() { for f in "${list[@]}"; do pbmtojbg "$f" "$work/jbig/$(basename "$f" .pbm).jbg"; done; }
jbig_sequential() { for f in "${list[@]}"; do pbmtojbg -q "$f" "$work/jbigq/$(basename "$f" .pbm).jbg"; done; }
g4_all() { for f in "${list[@]}"; do tiffcp -c g4 -r 3508 "${f%.pbm}.tif" "$work/g4/$(basename "$f" .pbm).tif"; done; }

"$driver" "$work/ours" "$best_of" "${list[@]}" >"$work/ours.txt"
t_ours=$(best ours_all)
t_jbig=$(best jbig_default)
t_jbigq=$(best jbig_sequential)
t_g4=$(best g4_all)

wrong=0
for f in "${list[@]}"; do
    name=$(basename "$f" .pbm)
    if ! jbig2dec -q -e -t pbm -o "$work/back.pbm" "$work/ours/$name.jb2" ||
        ! cmp -s "$work/back.pbm" "$f"; then
        echo "$name: not decoded as it was" >&2
        wrong=$((wrong + 1))
    fi
done

total() { cat "$1"/* | wc -c; }
s_ours=$(total "$work/ours")
s_jbig=$(total "$work/jbig")
s_jbigq=$(total "$work/jbigq")
s_g4=$(total "$work/g4")
awk -v n="$pages" -v so="$s_ours" -v sj="$s_jbig" -v sq="$s_jbigq" -v sg="$s_g4" \
    -v to="$t_ours" -v tj="$t_jbig" -v tq="$t_jbigq" -v tg="$t_g4" -v wrong="$wrong" \
    -v per="$(awk '{ t += $3; if ($3 > m) m = $3 } END { printf "%.1f %.1f", t / NR / 1000, m / 1000 }' "$work/ours.txt")" '
function row(name, s, t) {
    printf "| %s | %.1f | %.3f | %.1f | %.2f |\n", name, s / n / 1024, so / s, t / n / 1000, to / t
}
BEGIN {
    split(per, p, " ")
    printf "%d pages of 2480 x 3508; ours decoded back exactly: %d of %d\n", n, n - wrong, n
    printf "ours, encoding alone: %s ms a page on average, %s ms the slowest\n\n", p[1], p[2]
    print "| coder | KiB a page | ours / this size | ms a page (whole run) | ours / this time |"
    print "|---|---|---|---|---|"
    row("ours (JBIG2 generic region)", so, to)
    row("pbmtojbg (JBIG1)", sj, tj)
    row("pbmtojbg -q (JBIG1 sequential)", sq, tq)
    row("Group 4", sg, tg)
}'
[[ $wrong -eq 0 ]]
