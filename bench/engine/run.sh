#!/usr/bin/env bash
# Times the whole conversion job (one-PDF mode: staging + pdf.exe + placing the result) against
# img2pdf on the same pictures.
#   bench/engine/run.sh [build folder] [runs]
# Builds engine_bench and pdf.exe in the build folder (PW_BUILD_BENCH=ON). Needs ImageMagick
# (convert), img2pdf and GNU time. Prints per scenario the best wall time of each over `runs`
# runs, the peak memory (max RSS) of the job process, of the builder and of img2pdf, and the
# time ratio job / img2pdf.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build-engine}
runs=${2:-3}
for need in convert img2pdf /usr/bin/time; do
    command -v "$need" >/dev/null || { echo "missing $need" >&2; exit 1; }
done
driver=$build/bench/engine/engine_bench
# A tree that is mid-change elsewhere may not configure; the last good build is used then.
if ! { cmake -S "$root" -B "$build" -DPW_BUILD_BENCH=ON &&
    cmake --build "$build" -j2 --target engine_bench pdftool; } >/dev/null 2>&1; then
    echo "note: could not rebuild; using the existing engine_bench and pdf.exe" >&2
fi
[[ -x $driver && -x $build/app/data/pdf.exe ]] || { echo "engine_bench not built" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# pictures <ext> <count> <distinct>: count 1000 x 750 pictures copied from `distinct` ones.
pictures() {
    local ext=$1 count=$2 distinct=$3
    local folder=$work/$ext-$count
    mkdir -p "$folder" "$work/src"
    for ((k = 0; k < distinct; k++)); do
        local src=$work/src/$k.$ext
        [[ -f $src ]] || convert -seed $((k + 1)) -size 1000x750 plasma:fractal -quality 90 "$src"
    done
    for ((i = 0; i < count; i++)); do
        cp "$work/src/$((i % distinct)).$ext" "$(printf '%s/p%05d.%s' "$folder" "$i" "$ext")"
    done
    echo "$folder"
}

# The best run of the job: "seconds job_kib builder_kib".
job() {
    local folder=$1 best=""
    for ((r = 0; r < runs; r++)); do
        rm -rf "$work/out" "$work/cache"
        local line
        line=$(XDG_CACHE_HOME=$work/cache "$driver" "$work/out" "$folder"/*) ||
            { echo "the job reported a problem" >&2; exit 1; }
        read -r _ t _ job_kib _ builder_kib _ <<<"$line"
        if [[ -z $best ]] || awk "BEGIN{exit !($t < ${best%% *})}"; then
            best="$t $job_kib $builder_kib"
        fi
    done
    echo "$best"
}

# The best run of img2pdf: "seconds kib".
peer() {
    local folder=$1 best=""
    for ((r = 0; r < runs; r++)); do
        /usr/bin/time -f "%e %M" -o "$work/time" img2pdf "$folder"/* -o "$work/peer.pdf"
        read -r t kib <"$work/time"
        if [[ -z $best ]] || awk "BEGIN{exit !($t < ${best%% *})}"; then
            best="$t $kib"
        fi
    done
    echo "$best"
}

printf '%-18s %9s %9s %7s %12s %12s %12s\n' scenario job_s img2pdf_s ratio job_MiB \
    builder_MiB img2pdf_MiB
scenario() {
    local ext=$1 count=$2 distinct=$3 folder
    folder=$(pictures "$ext" "$count" "$distinct")
    read -r jt jk bk <<<"$(job "$folder")"
    read -r pt pk <<<"$(peer "$folder")"
    awk -v l="$count $ext" -v jt="$jt" -v pt="$pt" -v jk="$jk" -v bk="$bk" -v pk="$pk" \
        'BEGIN{printf "%-18s %9.2f %9.2f %7.2f %12.1f %12.1f %12.1f\n", l, jt, pt, jt/pt,
               jk/1024, bk/1024, pk/1024}'
    rm -rf "$folder"
}

scenario jpg 200 20
scenario jpg 2000 20
scenario png 20 10
scenario png 200 10
