# shellcheck shell=bash
# What the benchmarks of the whole program share; sourced after `set -euo pipefail`.

bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# bench_program [PATH]: sets `program` to PATH, or to the newest build's pagewright.
bench_program() {
    program=${1:-}
    if [[ -z $program ]]; then
        program=$(ls -t "$bench_root"/build*/app/pagewright 2>/dev/null | head -1 || true)
    fi
    [[ -x $program ]] || { echo "pagewright not found; pass its path" >&2; exit 1; }
}

# bench_require TOOL...: stops when one is missing.
bench_require() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
    done
}

# bench_private_user NAME: a work folder `work` (removed on exit) holding a home, cache and
# settings of its own, and no display, so saved settings and other runs play no part.
bench_private_user() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-$1.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
    unset DISPLAY WAYLAND_DISPLAY
    mkdir -p "$HOME"
}

# bench_picture KIND K OUT: picture K of `kind`, 1000 x 750: jpg (photo, quality 90), png16 (16-bit photo, as
# ImageMagick writes plasma), photo (8-bit PNG photo), shot (8-bit PNG screenshot: flat colours,
# text).
bench_picture() {
    local kind=$1 k=$2 src=$3
    case $kind in
    jpg) convert -seed $((k + 1)) -size 1000x750 plasma:fractal -quality 90 "$src" ;;
    png16) convert -seed $((k + 1)) -size 1000x750 plasma:fractal "$src" ;;
    photo) convert -seed $((k + 1)) -size 1000x750 plasma:fractal -depth 8 "PNG24:$src" ;;
    shot)
        local draw="" y
        for ((y = 60; y < 740; y += 22)); do
            draw+=" text 40,$y 'Line $y of window $k: settings, files and a status bar'"
        done
        convert -size 1000x750 xc:'#f0f0f0' -fill '#2b5797' -draw "rectangle 0,0 999,30" \
            -fill white -draw "rectangle 20,40 700,730" -fill '#d9e4f2' \
            -draw "rectangle 720,40 980,$((200 + 40 * k))" -fill '#202020' \
            -font DejaVu-Sans -pointsize 13 -draw "$draw" -depth 8 "PNG24:$src"
        ;;
    esac
}
