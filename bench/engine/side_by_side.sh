#!/usr/bin/env bash
# Two builds' conversion jobs side by side on the same pictures, to tell whether a change moved
# the job's time: their engine_bench runs alternate (the order flips each round), and the
# medians and best runs of wall and CPU time (user + system) are compared as A / B.
#   bench/engine/side_by_side.sh BUILD_A BUILD_B [rounds] ["kind:count:quality ..."]
# Both builds need engine_bench (PW_BUILD_BENCH=ON). Kinds as in run.sh: jpg, png16, photo, shot.
set -euo pipefail
a=${1:?usage: $0 BUILD_A BUILD_B [rounds] [scenarios]} b=${2:?} rounds=${3:-9}
scenarios=${4:-jpg:200:100 jpg:2000:100 shot:200:lossless photo:200:100 photo:200:lossless png16:200:100}
# shellcheck source=../lib/common.sh
. "$(dirname "$0")/../lib/common.sh"
bench_require convert /usr/bin/time python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

once() { # once BUILD FOLDER QUALITY: "wall cpu"
    local wall user system
    rm -rf "$work/out" "$work/cache"
    sync
    /usr/bin/time -f "%U %S" -o "$work/time" env XDG_CACHE_HOME="$work/cache" \
        "$1/bench/engine/engine_bench" --quality "$3" "$work/out" "$2"/* >"$work/line"
    read -r _ wall _ <"$work/line"
    read -r user system <"$work/time"
    echo "$wall $(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')"
}

for scenario in $scenarios; do
    IFS=: read -r kind count quality <<<"$scenario"
    ext=png
    [[ $kind == jpg ]] && ext=jpg
    folder=$work/$kind
    mkdir -p "$folder" "$work/src"
    for ((k = 0; k < 10; k++)); do
        [[ -f $work/src/$kind-$k.$ext ]] || bench_picture "$kind" "$k" "$work/src/$kind-$k.$ext"
    done
    for ((i = 0; i < count; i++)); do
        cp "$work/src/$kind-$((i % 10)).$ext" "$(printf '%s/p%05d.%s' "$folder" "$i" "$ext")"
    done
    once "$a" "$folder" "$quality" >/dev/null # warm both
    once "$b" "$folder" "$quality" >/dev/null
    : >"$work/a"
    : >"$work/b"
    for ((r = 0; r < rounds; r++)); do
        if ((r % 2)); then
            once "$a" "$folder" "$quality" >>"$work/a"
            once "$b" "$folder" "$quality" >>"$work/b"
        else
            once "$b" "$folder" "$quality" >>"$work/b"
            once "$a" "$folder" "$quality" >>"$work/a"
        fi
    done
    python3 "$(dirname "$0")/../lib/compare.py" "$scenario" "$work/a" "$work/b" wall cpu
    rm -rf "$folder"
done
