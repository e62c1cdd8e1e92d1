#!/usr/bin/env bash
# One copy per user: a second start while the first runs ends at once without a window and
# leaves the first alone; a lock left by a killed copy does not keep the next start away.
# shellcheck disable=SC2016 # check() runs its quoted command later, on purpose
# Usage: smoke_single_instance.sh PATH_TO_PAGEWRIGHT
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"

smoke_start first
first=$last_pid
front=$(xd_wait_window '^Pagewright$' 30 "$first") || require "the first copy shows its window" false
require "the first window settles on the screen" xd_wait_placed "$front" 15

smoke_start second
second=$last_pid
windows_seen=1
while kill -0 "$second" 2>/dev/null && [ "$windows_seen" -le 1 ]; do
    windows_seen=$(xd_window_count '^Pagewright$')
    sleep 0.05
done
if smoke_wait_exit "$second" 20; then
    check "the second copy ends by itself with status 0 (status $exit_status)" test "$exit_status" -eq 0
else
    check "the second copy ends by itself" false
fi
check "the second copy showed no window" test "$windows_seen" -le 1
check "the first copy still runs and shows its window" \
    eval 'kill -0 "$first" && xd_window_visible "$front"'

# A copy that dies without cleaning up leaves its lock behind; the next start recovers it.
kill -9 "$first"
wait "$first" 2>/dev/null || true
smoke_start third
third=$last_pid
if window=$(xd_wait_window '^Pagewright$' 30 "$third"); then
    check "after a killed copy the next start shows its window" true
    xd_wait_placed "$window" 15 || true
    xd_click_button "$window" kImgExitRect
    smoke_wait_exit "$third" 20 || true
    check "it ends through its close picture with status 0 ($exit_status)" test "$exit_status" = 0
else
    check "after a killed copy the next start shows its window" false
fi

smoke_finish smoke_single_instance
