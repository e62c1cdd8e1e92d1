#!/usr/bin/env bash
# Renders the Pages window over the sample pictures (and one damaged copy) offscreen and
# writes pages-window.png beside this script.
# Usage: docs/screenshots/take-pages.sh [build folder]   (default build-pages)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build-pages}
driver=$build/bench/pages/pages_bench
cmake -S "$root" -B "$build" -DPW_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target pages_bench SkinH >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/samples/* "$work/"
# A JPEG's header without its picture data: "damaged (JPEG data ends early)".
scan=$(LC_ALL=C grep -obUaP '\xFF\xDA' "$root/samples/01-sunrise.jpg" | head -n 1 | cut -d: -f1)
head -c "$scan" "$root/samples/01-sunrise.jpg" >"$work/08-cut.jpg"
QT_QPA_PLATFORM=offscreen "$driver" shot "$here/pages-window.png" "$work"/*
echo "Wrote $here/pages-window.png"
