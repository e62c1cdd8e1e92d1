#!/usr/bin/env bash
# Times Add Folder's search (SearchFolder into real list widgets, Qt's event loop run twice per
# entry) against `find` on the same tree of 20,000 empty *.jpg files in three levels
# (20 folders x 20 subfolders x 50 files).
#   bench/filelist/run.sh [build folder] [runs]
# Prints the best wall time of each over `runs` runs and the ratio search / find.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build-filelist}
runs=${2:-3}
driver=$build/bench/filelist/filelist_bench
if ! { cmake -S "$root" -B "$build" -DPW_BUILD_BENCH=ON &&
    cmake --build "$build" -j2 --target filelist_bench; } >/dev/null 2>&1; then
    echo "note: could not rebuild; using the existing filelist_bench" >&2
fi
[[ -x $driver ]] || { echo "filelist_bench not built" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/tree
for ((a = 0; a < 20; a++)); do
    for ((b = 0; b < 20; b++)); do
        dir=$tree/a$a/b$b
        mkdir -p "$dir"
        (cd "$dir" && touch $(seq -f 'p%02g.jpg' 0 49))
    done
done

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
read -r entries search_ms < <("$driver" "$tree" "$runs")

best_find=
for ((r = 0; r < runs; r++)); do
    start=$(date +%s%N)
    found=$(find "$tree" -type f -name '*.jpg' | wc -l)
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    [[ -z $best_find || $ms -lt $best_find ]] && best_find=$ms
done
(( best_find > 0 )) || best_find=1

echo "pictures: search $entries, find $found"
echo "Add Folder search:      ${search_ms} ms"
echo "find:                   ${best_find} ms"
awk -v s="$search_ms" -v f="$best_find" 'BEGIN { printf "ratio search / find: %.1f\n", s / f }'
