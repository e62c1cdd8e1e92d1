# shellcheck shell=bash
# What the text recognition scripts share, sourced with the program as $1 and a name for the
# work folder as $2: a private home, cache and settings, no display, the checks, `run` (the
# program's convert, setting `status` and `err`) and `words` (a PDF's text in a line).
set -uo pipefail
program=${1:?usage: $0 PATH_TO_PAGEWRIGHT}
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-$2.XXXXXX")
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$work/in" "$work/out"
trap 'rm -rf "$work"' EXIT
# shellcheck source=../support/checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"
run() {
    "$program" convert -q --overwrite "$@" >"$work/stdout" 2>"$work/stderr"
    status=$?
    err=$(cat "$work/stderr")
}
# The PDF's words in a line; -raw keeps the text's own order (poppler's layout analysis reads
# short columns side by side as table rows, whoever wrote the text).
words() { pdftotext -q "$@" - | tr -s ' \n\f' '  ' | sed 's/^ //; s/ $//'; }
