#!/usr/bin/env bash
# Compares pdf.exe with img2pdf on the same staged JPEGs.
#   bench/pdftool/run.sh [path/to/pdf.exe] [runs]
# Needs ImageMagick (convert), img2pdf and GNU time (/usr/bin/time). Prints, per scenario, the
# best wall time of each tool over `runs` runs, their peak memory (max RSS), a plain `cat` of
# the inputs as the physical floor, and the ratios pdf.exe / img2pdf.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tool=${1:-}
runs=${2:-3}
if [[ -z $tool ]]; then
    tool=$(ls -t "$root"/build*/app/data/pdf.exe 2>/dev/null | head -1 || true)
fi
[[ -x $tool ]] || { echo "pdf.exe not found; pass its path" >&2; exit 1; }
for need in convert img2pdf /usr/bin/time; do
    command -v "$need" >/dev/null || { echo "missing $need" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# stage <count> <width> <height> <distinct>: count JPEGs copied from `distinct` generated ones.
stage() {
    local count=$1 width=$2 height=$3 distinct=$4
    local cache=$work/cache-${count}x$width
    local folder=$cache/pagewright/quillon_tmp
    mkdir -p "$folder" "$work/src"
    for ((k = 0; k < distinct; k++)); do
        local src=$work/src/${width}_$k.jpg
        [[ -f $src ]] || convert -seed $((k + 1)) -size "${width}x$height" plasma:fractal \
            -quality 90 "$src"
    done
    for ((i = 0; i < count; i++)); do
        cp "$work/src/${width}_$((i % distinct)).jpg" "$(printf '%s/%05d.jpg' "$folder" "$i")"
    done
    echo "$cache"
}

# measure <output> <command...>: best wall seconds over $runs runs and the peak memory (max RSS,
# KiB) of that run. <output> is removed before each run, outside the timing, so no tool pays for
# deleting an earlier result.
measure() {
    local output=$1
    shift
    local best_time="" best_rss=""
    for ((r = 0; r < runs; r++)); do
        [[ -z $output ]] || rm -f "$output"
        local start=$EPOCHREALTIME
        /usr/bin/time -f "%M" -o "$work/rss" "$@" >/dev/null 2>&1
        local end=$EPOCHREALTIME
        local t rss
        t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
        rss=$(tail -1 "$work/rss")
        if [[ -z $best_time ]] || awk -v t="$t" -v b="$best_time" 'BEGIN { exit !(t < b) }'; then
            best_time=$t
            best_rss=$rss
        fi
    done
    echo "$best_time $best_rss"
}

scenario() {
    local label=$1 count=$2 width=$3 height=$4 distinct=$5
    local cache
    cache=$(stage "$count" "$width" "$height" "$distinct")
    local folder=$cache/pagewright/quillon_tmp
    local files=("$folder"/*.jpg)
    local bytes
    bytes=$(du -cb "${files[@]}" | tail -1 | cut -f1)
    cat "${files[@]}" >/dev/null # warm the page cache for everyone

    local copy=$folder/copy.bin
    read -r cat_t cat_rss < <(measure "" bash -c 'cat "$@" >/dev/null' _ "${files[@]}")
    read -r cp_t cp_rss < <(measure "$copy" bash -c 'out=$1; shift; cat "$@" >"$out"' _ "$copy" \
        "${files[@]}")
    rm -f "$copy"
    read -r img_t img_rss < <(measure "$work/img2pdf.pdf" img2pdf -o "$work/img2pdf.pdf" "${files[@]}")
    read -r our_t our_rss < <(measure "$folder/tmp.pdf" env XDG_CACHE_HOME="$cache" "$tool" /NOASK)
    [[ -f $folder/tmp.pdf ]] || { echo "pdf.exe wrote no tmp.pdf" >&2; exit 1; }

    printf '\n%s: %d JPEGs of %dx%d, %d MB in total\n' "$label" "$count" "$width" "$height" \
        $((bytes / 1000000))
    printf '  %-16s %8s s %10s KiB max RSS\n' "cat >/dev/null" "$cat_t" "$cat_rss" \
        "cat >file" "$cp_t" "$cp_rss" img2pdf "$img_t" "$img_rss" pdf.exe "$our_t" "$our_rss"
    awk -v o="$our_t" -v i="$img_t" -v c="$cp_t" -v om="$our_rss" -v im="$img_rss" 'BEGIN {
        printf "  time   pdf.exe / img2pdf = %.2f   pdf.exe / (cat >file) = %.1f   img2pdf / (cat >file) = %.1f\n",
            o / i, (c > 0 ? o / c : 0), (c > 0 ? i / c : 0)
        printf "  memory pdf.exe / img2pdf = %.3f\n", om / im }'
    printf '  output size pdf.exe %d bytes, img2pdf %d bytes\n' \
        "$(stat -c %s "$folder/tmp.pdf")" "$(stat -c %s "$work/img2pdf.pdf")"
    rm -rf "$cache"
}

# Sourced (archive.sh), only the functions above are wanted.
if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    echo "pdf.exe: $tool"
    echo "img2pdf: $(img2pdf --version 2>&1 | head -1)"
    scenario "many small" ${SMALL_COUNT:-2000} 1000 750 8
    scenario "few large" 24 4000 3000 3
fi
