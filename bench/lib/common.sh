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
