#!/usr/bin/env bash
# `cmake --install` into a scratch prefix lays out a working program: the installed
# `pagewright convert` finds its builder under lib/pagewright, the desktop entry and
# AppStream metainfo validate, and `man` finds the manual page.
# Usage: install_tree.sh BUILD_DIR SAMPLES_FOLDER
set -uo pipefail
build=${1:?usage: $0 BUILD_DIR SAMPLES_FOLDER}
samples=${2:?}
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME"
prefix=$work/prefix
id=org.pagewright.Pagewright

# shellcheck source=../support/checks.sh
. "$(dirname "$0")/../support/checks.sh"

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log"
    echo "FAIL: cmake --install"
    exit 1
}
for file in bin/pagewright lib/pagewright/data/pdf.exe lib/pagewright/libSkinH.so \
    lib/pagewright/help/index.html share/applications/$id.desktop \
    share/icons/hicolor/scalable/apps/$id.svg share/metainfo/$id.metainfo.xml \
    share/man/man1/pagewright.1.gz; do
    check "installed: $file" test -s "$prefix/$file"
done
check "nothing but the program in bin/" test "$(ls "$prefix/bin")" = pagewright
check "man finds the manual page in the prefix" \
    eval 'MANPATH="$prefix/share/man" man -w pagewright | grep -qx "$prefix/share/man/man1/pagewright.1.gz"'
check "desktop-file-validate passes" desktop-file-validate "$prefix/share/applications/$id.desktop"
check "appstreamcli validate --no-net passes" \
    appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"

# The installed program converts from anywhere, with no display, and keeps the build tree's
# files out of it.
cd "$work" || exit 1
out=$("$prefix/bin/pagewright" convert -q -o "$work/out" "$samples/01-sunrise.jpg" "$samples/02-amber.png")
status=$?
check "installed convert: status 0 ($status)" test "$status" -eq 0
check "installed convert: the PDF has both pages" \
    eval 'test "$out" = "$work/out/NewPDF.pdf" && pdfinfo "$out" | grep -q "^Pages: *2$"'

checks_finish install_tree
