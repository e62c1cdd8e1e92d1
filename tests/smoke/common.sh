# shellcheck shell=bash
# Shared set-up of the smoke tests: a private HOME and cache, a virtual X display, and the
# program under test started on it. Sourced by the smoke_*.sh scripts.
set -euo pipefail

smoke_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=../../scripts/lib/xdriver.sh
. "$smoke_dir/../../scripts/lib/xdriver.sh"

program=${1:?usage: $0 PATH_TO_PAGEWRIGHT}
[ -x "$program" ] || {
    echo "FAIL: no program at $program"
    exit 1
}

# A real X server, never Qt's offscreen platform.
unset QT_QPA_PLATFORM WAYLAND_DISPLAY DISPLAY

work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-smoke.XXXXXX")
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

started_pids=()
smoke_cleanup() {
    local pid
    for pid in "${started_pids[@]}"; do
        xd_stop_process "$pid"
    done
    xd_stop_xvfb
    rm -rf "$work"
}
trap smoke_cleanup EXIT

# shellcheck source=../support/checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support/checks.sh"

# Fatal: the remaining checks cannot run.
require() {
    local what=$1
    shift
    "$@" || {
        echo "FAIL: $what"
        smoke_log
        exit 1
    }
}

smoke_log() {
    local log
    for log in "$work"/pagewright*.log; do
        [ -s "$log" ] || continue
        echo "--- $(basename "$log") (last lines)"
        grep -v '^TIFFFieldWithTag' "$log" | tail -n 20 || true
    done
}

# smoke_start LOGNAME [ENV=VALUE...]: starts the program; its pid is in last_pid.
smoke_start() {
    local log=$work/pagewright-$1.log
    shift
    env "$@" "$program" >"$log" 2>&1 &
    last_pid=$!
    started_pids+=("$last_pid")
}

# smoke_wait_exit PID SECONDS: waits for a started program to end and sets exit_status;
# fails when it is still running. Call it in this shell, never in $(...): a subshell cannot
# reap its parent's child and reports -1 for one that ends after the fork.
# shellcheck disable=SC2034 # exit_status is read by the scripts that source this file
smoke_wait_exit() {
    local pid=$1
    exit_status="still running"
    xd_wait_until "$2" xd_process_gone "$pid" || return 1
    exit_status=0
    wait "$pid" || exit_status=$?
}

smoke_finish() {
    [ "$failures" -eq 0 ] || smoke_log
    checks_finish "$1"
}

xd_start_xvfb "$work" 1280x800x24
