#!/usr/bin/env bash
# The lossy-or-lossless choice at a quality: scans, photos and screenshots converted at
# QUALITIES (85 100) by this build and by a baseline build that always stored a JPEG, and
# losslessly by this build; sizes and times side by side in one run.
#   bench/lossy/run.sh PATH/TO/BASELINE/PAGEWRIGHT [PATH/TO/PAGEWRIGHT]
#   COUNT=10 (pictures of each kind) QUALITIES="85 100"
# The kinds, 1700 x 2200 (scans) or 1000 x 750, 8-bit PNG:
#   scan   - a grey page of text as a scanner gives it (blur, noise), grey PNG
#   photo  - a colour photo-like picture (ImageMagick's plasma)
#   shot   - a screenshot: flat colours and text
set -euo pipefail

# shellcheck source=../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
baseline=${1:-}
[[ -x $baseline ]] || { echo "usage: $0 BASELINE_PAGEWRIGHT [PAGEWRIGHT]" >&2; exit 1; }
bench_program "${2:-}"
count=${COUNT:-10}
qualities=${QUALITIES:-85 100}
bench_require convert /usr/bin/time
bench_private_user lossy

words="Invoice total due within thirty days of the date shown above please quote the number"
make_picture() {
    local kind=$1 k=$2 out=$3
    case $kind in
    scan)
        local lines=() l
        for ((l = 0; l < 40; l++)); do
            lines+=(-annotate "+120+$((160 + 48 * l))" "$words $k.$l")
        done
        convert -size 1700x2200 xc:white -font DejaVu-Serif -pointsize 28 -fill '#222' \
            "${lines[@]}" -blur 0x0.7 -attenuate 0.4 +noise Gaussian -colorspace gray \
            -define png:color-type=0 -depth 8 "$out"
        ;;
    photo | shot) bench_picture "$kind" "$k" "$out" ;;
    esac
}

# run PROGRAM QUALITY FOLDER: "seconds bytes"
run() {
    local program=$1 quality=$2 folder=$3 out=$work/out.pdf start end
    rm -f "$out"
    start=${EPOCHREALTIME/./}
    "$program" convert -q --quality "$quality" -o "$out" "$folder"/*.png >/dev/null
    end=${EPOCHREALTIME/./}
    awk -v us=$((end - start)) -v bytes="$(stat -c %s "$out")" \
        'BEGIN { printf "%.2f %d", us / 1e6, bytes }'
}

printf '| %d pictures | quality | baseline (always JPEG) | this build | size ratio | time ratio | lossless |\n' "$count"
echo '|---|---|---|---|---|---|---|'
for kind in scan photo shot; do
    folder=$work/$kind
    mkdir -p "$folder"
    for ((k = 0; k < count; k++)); do
        make_picture "$kind" "$k" "$folder/$(printf 'p%03d' "$k").png"
    done
    read -r _ lossless <<<"$(run "$program" lossless "$folder")"
    for quality in $qualities; do
        read -r base_s base_b <<<"$(run "$baseline" "$quality" "$folder")"
        read -r ours_s ours_b <<<"$(run "$program" "$quality" "$folder")"
        awk -v k="$kind" -v q="$quality" -v bs="$base_s" -v bb="$base_b" -v os="$ours_s" \
            -v ob="$ours_b" -v lb="$lossless" 'BEGIN {
                printf "| %s | %s | %.2f MB, %.2f s | %.2f MB, %.2f s | %.3f | %.2f | %.2f MB |\n",
                    k, q, bb / 1e6, bs, ob / 1e6, os, ob / bb, os / bs, lb / 1e6 }'
    done
done
