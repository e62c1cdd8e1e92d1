#!/usr/bin/env bash
# Makes sheet-2x2.png for the README: the first four sample pictures converted with
# `pagewright convert --page-size A4 --per-sheet 2x2 --margin 10`, the sheet rendered by
# pdftoppm on a grey ground so that the paper's edge shows.
# Usage: docs/screenshots/take-sheet.sh [PATH_TO_PAGEWRIGHT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
program=$(realpath "${1:-$root/build/app/pagewright}")
work=$(mktemp -d "${TMPDIR:-/tmp}/pw-sheet.XXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CACHE_HOME=$work/.cache XDG_CONFIG_HOME=$work/.config

samples=("$root"/samples/0[1-4]-*)
"$program" convert -q --page-size A4 --per-sheet 2x2 --margin 10 -o "$work/sheet.pdf" \
    "${samples[@]}" >/dev/null
pdftoppm -r 60 -png -singlefile "$work/sheet.pdf" "$work/sheet"
convert "$work/sheet.png" -bordercolor '#9a9a9a' -border 12 "$here/sheet-2x2.png"
echo "$here/sheet-2x2.png"
