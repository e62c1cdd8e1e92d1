#!/usr/bin/env bash
# Builds Pagewright and starts it. On a machine without a display it shows the program at work
# instead: one conversion of the sample pictures on a virtual display (scripts/demo-headless.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh pagewright

display_usable() {
    if [ -n "${DISPLAY:-}" ] && command -v xdpyinfo >/dev/null && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    if [ -n "${WAYLAND_DISPLAY:-}" ]; then
        local socket=$WAYLAND_DISPLAY
        [[ $socket == /* ]] || socket=${XDG_RUNTIME_DIR:-/nonexistent}/$socket
        [ -S "$socket" ] && return 0
    fi
    return 1
}

if display_usable; then
    exec ./build/app/pagewright "$@"
fi

echo "No usable display (DISPLAY/WAYLAND_DISPLAY unset or not answering): running a demo conversion of samples/ on a virtual display."
exec ./scripts/demo-headless.sh ./build/app/pagewright ./samples
