#!/usr/bin/env bash
# Times the Pages window over many listed pictures: camera-sized JPEGs (4000 x 3000, a few
# megabytes each; 24 distinct ones linked under `count` names), on the offscreen platform.
#   bench/pages/run.sh [build folder] [count] [rows]
# Prints the time from opening the window until the first screenful of thumbnails is shown,
# the same after a fling to the end of the list, the cache after walking `rows` rows a
# screen at a time (more than the cache holds) and the peak memory (max RSS) of the process.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build-pages}
count=${2:-5000}
rows=${3:-1200}
driver=$build/bench/pages/pages_bench
# A tree that is mid-change elsewhere may not configure; the last good build is used then.
if ! { cmake -S "$root" -B "$build" -DPW_BUILD_BENCH=ON &&
    cmake --build "$build" -j2 --target pages_bench SkinH; } >/dev/null 2>&1; then
    echo "note: could not rebuild; using the existing pages_bench" >&2
fi
[[ -x $driver ]] || { echo "pages_bench not built" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
"$driver" make "$work/pictures" "$count"
bytes=$(cat "$work"/pictures/src-*.jpg | wc -c)
distinct=$(find "$work/pictures" -name 'src-*.jpg' | wc -l)
awk -v b="$bytes" -v n="$distinct" 'BEGIN { printf "pictures: 4000 x 3000 JPEGs, %.1f MB each on average\n", b / n / 1e6 }'
sync
"$driver" run "$work/pictures" "$rows"
