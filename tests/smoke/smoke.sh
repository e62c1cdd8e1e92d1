#!/usr/bin/env bash
# The real front window on a real X server: it appears 553 x 371 in the middle of the screen,
# shaped by its key colour; the Settings button opens the "Setting" window, which closes again
# and leaves the front window; the close picture ends the program with status 0.
# shellcheck disable=SC2016 # check() runs its quoted command later, on purpose
# Usage: smoke.sh PATH_TO_PAGEWRIGHT
# shellcheck source-path=SCRIPTDIR source=common.sh
. "$(dirname "$0")/common.sh"

smoke_start front
app=$last_pid
front=$(xd_wait_window '^Pagewright$' 30 "$app") || require "the front window appears" false
require "the front window settles on the screen" xd_wait_placed "$front" 15

read -r screen_w screen_h < <(xd_screen_size)
within() { [ "$1" -ge $(($2 - 2)) ] && [ "$1" -le $(($2 + 2)) ]; }
check "the window is 553 x 371 (is ${XD_W} x ${XD_H})" eval '[ "$XD_W" -eq 553 ] && [ "$XD_H" -eq 371 ]'
check "the window is centred (at $XD_X,$XD_Y on ${screen_w}x${screen_h})" \
    eval 'within "$XD_X" $(((screen_w - 553) / 2)) && within "$XD_Y" $(((screen_h - 371) / 2))'

# The key colour never shows: the window's mask lets the (white) root window through there.
shot=$work/front.png
xd_screenshot "$shot" "$front"
magenta=$(convert "$shot" -fill black +opaque '#ff00ff' -fill white -opaque '#ff00ff' \
    -format '%[fx:round(mean*w*h)]' info:)
corner=$(convert "$shot" -format '%[pixel:p{0,0}]' info:)
check "no key-colour pixel is on the screen ($magenta found)" test "$magenta" -eq 0
check "the top-left corner shows what lies behind the window ($corner)" \
    eval '[[ $corner == white || $corner == "srgb(255,255,255)" ]]'

# Settings (toolbar button 3) shows the engine form as the modal "Setting" window.
xd_click_button "$front" kImgToolbarRects 3
if setting=$(xd_wait_window '^Setting$' 15 "$app"); then
    check "Settings opens the \"Setting\" window" true
    xdotool key Escape
    check "Escape closes the \"Setting\" window" xd_wait_gone "$setting" 10
else
    check "Settings opens the \"Setting\" window" false
fi
check "the front window is still shown" xd_window_visible "$front"
check "the program still runs" kill -0 "$app"

# The close picture (imgExit) ends the program.
xd_click_button "$front" kImgExitRect
if smoke_wait_exit "$app" 20; then
    check "the close picture ends the program with status 0 (status $exit_status)" test "$exit_status" -eq 0
    check "the instance lock is released" flock -n "$XDG_CACHE_HOME/pagewright/pagewright.lock" true
else
    check "the close picture ends the program" false
fi

smoke_finish smoke_front_window
