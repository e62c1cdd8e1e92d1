#!/usr/bin/env bash
# The front window keeps its pixel size at any DPI: Qt's own high-DPI scaling must not enlarge
# it on top of the window's twips-based layout.
# Usage: smoke_dpi.sh PATH_TO_PAGEWRIGHT
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"

for dpi in 120 144; do
    smoke_start "dpi$dpi" QT_FONT_DPI=$dpi
    app=$last_pid
    front=$(xd_wait_window '^Pagewright$' 30 "$app") || require "the window appears at $dpi DPI" false
    require "the window settles on the screen at $dpi DPI" xd_wait_placed "$front" 15
    check "at $dpi DPI the window is 553 x 371 device pixels (is ${XD_W} x ${XD_H})" \
        test "$XD_W" -eq 553 -a "$XD_H" -eq 371
    xd_click_button "$front" kImgExitRect
    smoke_wait_exit "$app" 20 || true
    check "at $dpi DPI the close picture ends the program ($exit_status)" test "$exit_status" = 0
done

smoke_finish smoke_dpi
