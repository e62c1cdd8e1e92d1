#!/usr/bin/env bash
# Two builders side by side on the same staged JPEGs: their runs alternate (the order flips
# each round), and the medians and best runs of wall time, CPU time and peak memory are
# compared as A / B.
#   bench/pdftool/side_by_side.sh PDF_EXE_A PDF_EXE_B [rounds] [count] [width] [height]
set -euo pipefail
a=${1:?usage: $0 PDF_EXE_A PDF_EXE_B [rounds] [count] [width] [height]} b=${2:?}
rounds=${3:-9} count=${4:-2000} width=${5:-1000} height=${6:-750}
for need in convert /usr/bin/time python3; do
    command -v "$need" >/dev/null || { echo "missing $need" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder=$work/cache/pagewright/quillon_tmp
mkdir -p "$folder" "$work/src"
for ((k = 0; k < 8; k++)); do
    convert -seed $((k + 1)) -size "${width}x$height" plasma:fractal -quality 90 "$work/src/$k.jpg"
done
for ((i = 0; i < count; i++)); do
    cp "$work/src/$((i % 8)).jpg" "$(printf '%s/%05d.jpg' "$folder" "$i")"
done
cat "$folder"/*.jpg >/dev/null

once() { # once PDF_EXE: "wall cpu max_rss_kib"
    local start end user system rss
    rm -f "$folder/tmp.pdf"
    sync
    start=$EPOCHREALTIME
    /usr/bin/time -f "%U %S %M" -o "$work/time" env XDG_CACHE_HOME="$work/cache" "$1" /NOASK \
        >/dev/null 2>&1
    end=$EPOCHREALTIME
    read -r user system rss <"$work/time"
    awk -v a="$start" -v b="$end" -v u="$user" -v s="$system" -v m="$rss" \
        'BEGIN { printf "%.4f %.2f %d\n", b - a, u + s, m }'
}

once "$a" >/dev/null
once "$b" >/dev/null
: >"$work/a"
: >"$work/b"
for ((r = 0; r < rounds; r++)); do
    if ((r % 2)); then
        once "$a" >>"$work/a"
        once "$b" >>"$work/b"
    else
        once "$b" >>"$work/b"
        once "$a" >>"$work/a"
    fi
done
python3 "$(dirname "$0")/../lib/compare.py" "$count x ${width}x$height" "$work/a" "$work/b" \
    wall cpu rss
