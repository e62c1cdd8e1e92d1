#!/usr/bin/env bash
# `cpack -G DEB` on the build tree makes a package lintian finds no errors in, with a manual
# page that renders without warnings and documents every `convert` option, and a description
# that names every picture extension the program reads.
# Usage: debian_package.sh BUILD_DIR
set -uo pipefail
build=${1:?usage: $0 BUILD_DIR}
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME"

# shellcheck source=../support/checks.sh
. "$(dirname "$0")/../support/checks.sh"

# The package goes into the scratch folder, so the build tree's own package stays as it was.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    echo "FAIL: cpack -G DEB"
    exit 1
}
debs=("$work"/pagewright_*.deb)
deb=${debs[0]}
check "one package made" test "${#debs[@]}" -eq 1 -a -s "$deb"

lintian "$deb" >"$work/lintian.txt" 2>&1
grep -v "running with root privileges" "$work/lintian.txt"
check "lintian reports no errors" eval '! grep -q "^E:" "$work/lintian.txt"'

root=$work/root
dpkg-deb -x "$deb" "$root"
doc=$root/usr/share/doc/pagewright
check "copyright in DEP-5 form" \
    grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
    "$doc/copyright"
zcat "$doc/changelog.Debian.gz" >"$work/changelog"
check "changelog names the package's version" \
    test "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$(dpkg-deb -f "$deb" Version)"

description=$(dpkg-deb -f "$deb" Description)
for ext in jpg jpeg png tif tiff bmp gif heic heif avif webp jxl; do
    check "description names $ext" eval 'grep -qw "$ext" <<<"$description"'
done

page=$root/usr/share/man/man1/pagewright.1.gz
check "manual page in the package" test -s "$page"
zcat "$page" >"$work/pagewright.1"
check "groff -man -ww renders the page without warnings" \
    eval 'test -z "$(groff -man -ww -z "$work/pagewright.1" 2>&1)"'
check "man -l renders the page without warnings" \
    eval 'test -z "$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"'

# Every option `convert --help` lists is documented (groff writes - as \-), as a whole word:
# -o inside --one does not count.
"$root/usr/bin/pagewright" convert --help >"$work/help.txt"
options=$(grep -oE -- '(^|[ ,])--?[a-zA-Z][a-z-]*' "$work/help.txt" | tr -d ' ,' | sort -u)
check "convert --help lists options" test -n "$options"
for option in $options; do
    check "manual page documents $option" \
        grep -qP -- "(?<!-)\\Q${option//-/\\-}\\E(?![a-z]|\\\\-)" "$work/pagewright.1"
done

checks_finish debian_package
