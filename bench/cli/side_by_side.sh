#!/usr/bin/env bash
# Conversions side by side: RUNS `pagewright convert` runs of PER_RUN pictures each, started
# together, against one run of all RUNS x PER_RUN pictures. Both in one-PDF mode, timed in
# turn, best of BEST wall times each; prints the ratio together / single (target <= 1.3).
#   bench/cli/side_by_side.sh [path/to/pagewright]
#   PER_RUN=500 RUNS=4 BEST=3 (the defaults: 4 x 500 against 2000)
# The pictures are copies of samples/ (JPEG, PNG, TIFF, GIF, BMP, HEIC, WebP, 480 x 360), so
# staging has decoding to do as well. Every run must end with status 0 and its PDF hold all its
# pages, else the script stops.
set -euo pipefail

# shellcheck source=../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
bench_program "${1:-}"
per_run=${PER_RUN:-500}
runs=${RUNS:-4}
best_of=${BEST:-3}
total=$((per_run * runs))
bench_require pdfinfo
bench_private_user side

samples=("$bench_root"/samples/*)
folders=()
for ((r = 0; r < runs; r++)); do
    folder=$work/in/run$r
    mkdir -p "$folder"
    for ((k = 0; k < per_run; k++)); do
        source=${samples[$(((r * per_run + k) % ${#samples[@]}))]}
        cp "$source" "$folder/$(printf 'p%05d' "$k").${source##*.}"
    done
    folders+=("$folder")
done

now() { echo "${EPOCHREALTIME/./}"; } # microseconds

# check_pdfs FOLDER COUNT PAGES: COUNT PDFs in FOLDER, each of PAGES pages.
check_pdfs() {
    local pdfs=("$1"/*.pdf) pdf
    [[ ${#pdfs[@]} -eq $2 && -e ${pdfs[0]} ]] || { echo "expected $2 PDFs in $1" >&2; exit 1; }
    for pdf in "${pdfs[@]}"; do
        [[ $(pdfinfo "$pdf" | awk '/^Pages:/{print $2}') == "$3" ]] ||
            { echo "$pdf does not hold $3 pages" >&2; exit 1; }
    done
}

together() {
    local out=$work/out-together pids=() r status=0
    rm -rf "$out"
    local start
    start=$(now)
    for ((r = 0; r < runs; r++)); do
        "$program" convert -q --one -o "$out" "${folders[r]}" >/dev/null &
        pids+=($!)
    done
    for r in "${pids[@]}"; do
        wait "$r" || status=$?
    done
    local end
    end=$(now)
    ((status == 0)) || { echo "a run side by side ended with status $status" >&2; exit 1; }
    check_pdfs "$out" "$runs" "$per_run"
    echo $((end - start))
}

single() {
    local out=$work/out-single
    rm -rf "$out"
    local start end
    start=$(now)
    "$program" convert -q --one -o "$out" "${folders[@]}" >/dev/null
    end=$(now)
    check_pdfs "$out" 1 "$total"
    echo $((end - start))
}

seconds() { awk -v us="$1" 'BEGIN { printf "%.2f", us / 1e6 }'; }

best_together=
best_single=
list_together=
list_single=
for ((i = 0; i < best_of; i++)); do
    t=$(together)
    s=$(single)
    list_together+=" $(seconds "$t")"
    list_single+=" $(seconds "$s")"
    [[ -z $best_together || $t -lt $best_together ]] && best_together=$t
    [[ -z $best_single || $s -lt $best_single ]] && best_single=$s
done

printf '%-34s best %8s s  (runs:%s)\n' "together: $runs x $per_run pictures" \
    "$(seconds "$best_together")" "$list_together"
printf '%-34s best %8s s  (runs:%s)\n' "single: 1 x $total pictures" \
    "$(seconds "$best_single")" "$list_single"
awk -v t="$best_together" -v s="$best_single" \
    'BEGIN { printf "ratio together / single: %.2f (target <= 1.3)\n", t / s }'
