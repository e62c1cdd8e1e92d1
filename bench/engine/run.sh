#!/usr/bin/env bash
# Times the whole conversion job (one-PDF mode: staging + pdf.exe + placing the result) against
# img2pdf on the same pictures.
#   bench/engine/run.sh [build folder] [runs]
# Builds engine_bench and pdf.exe in the build folder (PW_BUILD_BENCH=ON). Needs ImageMagick
# (convert), img2pdf and GNU time. Prints per scenario the best wall time of each over `runs`
# runs (scenarios of 2000 pictures run once), the time ratio job / img2pdf, the peak memory
# (max RSS) of the job process, of the builder and of img2pdf, and the PDF size ratio.
# SCENARIOS="kind:count:quality ..." picks scenarios (kinds: jpg, png16, photo, shot).
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

# One distinct picture of `kind` (bench/lib/common.sh).
# shellcheck source=../lib/common.sh
. "$here/../lib/common.sh"
source_picture() { bench_picture "$@"; }

# pictures <kind> <count> <distinct>: count pictures copied from `distinct` ones.
pictures() {
    local kind=$1 count=$2 distinct=$3 ext=png
    [[ $kind == jpg ]] && ext=jpg
    local folder=$work/$kind-$count
    mkdir -p "$folder" "$work/src"
    for ((k = 0; k < distinct; k++)); do
        local src=$work/src/$kind-$k.$ext
        [[ -f $src ]] || source_picture "$kind" "$k" "$src"
    done
    for ((i = 0; i < count; i++)); do
        cp "$work/src/$kind-$((i % distinct)).$ext" "$(printf '%s/p%05d.%s' "$folder" "$i" "$ext")"
    done
    echo "$folder"
}

# The best run of the job: "seconds job_kib builder_kib pdf_bytes".
job() {
    local folder=$1 quality=$2 times=$3 best=""
    for ((r = 0; r < times; r++)); do
        rm -rf "$work/out" "$work/cache"
        sync # no writeback of earlier files during the timed run
        local line
        line=$(XDG_CACHE_HOME=$work/cache "$driver" --quality "$quality" "$work/out" \
            "$folder"/*) || { echo "the job reported a problem" >&2; exit 1; }
        read -r _ t _ job_kib _ builder_kib _ <<<"$line"
        if [[ -z $best ]] || awk "BEGIN{exit !($t < ${best%% *})}"; then
            best="$t $job_kib $builder_kib $(stat -c %s "$work/out/NewPDF.pdf")"
        fi
    done
    echo "$best"
}

# The best run of img2pdf: "seconds kib".
peer() {
    local folder=$1 times=$2 best=""
    for ((r = 0; r < times; r++)); do
        rm -f "$work/peer.pdf"
        sync
        /usr/bin/time -f "%e %M" -o "$work/time" img2pdf "$folder"/* -o "$work/peer.pdf"
        read -r t kib <"$work/time"
        if [[ -z $best ]] || awk "BEGIN{exit !($t < ${best%% *})}"; then
            best="$t $kib $(stat -c %s "$work/peer.pdf")"
        fi
    done
    echo "$best"
}

printf '%-22s %7s %9s %6s %8s %12s %12s %10s\n' scenario job_s img2pdf_s ratio job_MiB \
    builder_MiB img2pdf_MiB size_ratio
scenario() {
    local kind=$1 count=$2 quality=$3 distinct=10 times=$runs folder
    [[ $kind == jpg ]] && distinct=20
    ((count >= 2000)) && times=1
    folder=$(pictures "$kind" "$count" "$distinct")
    read -r jt jk bk js <<<"$(job "$folder" "$quality" "$times")"
    read -r pt pk ps <<<"$(peer "$folder" "$times")"
    awk -v l="$count $kind q=$quality" -v jt="$jt" -v pt="$pt" -v jk="$jk" -v bk="$bk" \
        -v pk="$pk" -v js="$js" -v ps="$ps" \
        'BEGIN{printf "%-22s %7.2f %9.2f %6.2f %8.1f %12.1f %12.1f %10.3f\n", l, jt, pt, jt/pt,
               jk/1024, bk/1024, pk/1024, js/ps}'
    rm -rf "$folder"
}

for s in ${SCENARIOS:-jpg:200:100 jpg:2000:100 png16:200:100 photo:200:100 photo:200:lossless \
    shot:200:100 shot:200:lossless photo:2000:lossless shot:2000:100}; do
    IFS=: read -r kind count quality <<<"$s"
    scenario "$kind" "$count" "$quality"
done
