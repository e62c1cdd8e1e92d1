#!/usr/bin/env bash
# Retakes the README's screenshots from the real program on a virtual display:
#   front-window.png     the front window with the sample pictures listed, the second
#                        selected ("Page Number: 2 of 7") and the focus on Move Up
#   settings-window.png  the "Setting" window opened from the toolbar
# and copies the front window to resources/help/screenshot.png for the help pages.
# Usage: docs/screenshots/take.sh [PATH_TO_PAGEWRIGHT]   (default build/app/pagewright)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source-path=SCRIPTDIR source=../../scripts/lib/xdriver.sh
. "$root/scripts/lib/xdriver.sh"

program=$(realpath "${1:-$root/build/app/pagewright}")
[ -x "$program" ] || {
    echo "no program at $program" >&2
    exit 1
}

unset QT_QPA_PLATFORM WAYLAND_DISPLAY DISPLAY
# A short home folder keeps the listed paths readable.
work=$(mktemp -d "${TMPDIR:-/tmp}/pw.XXX")
export HOME=$work XDG_CACHE_HOME=$work/.cache XDG_RUNTIME_DIR=$work/.runtime
mkdir -p "$HOME/Pictures" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cp "$root"/samples/* "$HOME/Pictures/"

# The program keeps its settings beside itself: the run's own (its folder choices) must not
# outlive it.
settings=$(dirname "$program")/setting.dll
[ ! -e "$settings" ] || cp -p "$settings" "$work/setting.dll.kept"
app=""
cleanup() {
    xd_stop_process "$app"
    xd_stop_xvfb
    if [ -e "$work/setting.dll.kept" ]; then
        cp -p "$work/setting.dll.kept" "$settings"
    else
        rm -f "$settings"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "Screenshots failed; the program printed:" >&2; tail -n 20 "$work/pagewright.log" >&2 || true' ERR

xd_start_xvfb "$work" 1280x800x24
"$program" >"$work/pagewright.log" 2>&1 &
app=$!
front=$(xd_wait_window '^Pagewright$' 30 "$app")
xd_wait_placed "$front" 15

# The pictures, through Add Folder and the folder chooser, then sorted by name.
xd_click_button "$front" kImgToolbarRects 2
chooser=$(xd_wait_new_window 20 "$front")
xdotool type --delay 15 "$HOME/Pictures"
xdotool key Return
xd_wait_gone "$chooser" 15
xd_wait_list_filled "$front" 60
shown=$(xd_shown_count)
xd_click_button "$front" kImgMenuRects 2
xd_wait_until 10 xd_shown_more_than "$shown"
xdotool key Down Down Down Return
xd_wait_until 10 xd_shown_at_most "$shown"
xd_wait_list_filled "$front" 30

# Select the second picture so the count shows, Tab on to Move Up so its focus mark shows,
# and leave the pointer off the window.
read -r left top _ _ < <(xd_layout_rect kList1Rect)
xd_geometry "$front"
xdotool mousemove --sync $((XD_X + $(xd_px "$left") + 40)) $((XD_Y + $(xd_px "$top") + 21)) click 1
xdotool key Tab
xdotool mousemove --sync 5 5
sleep 0.5
xd_screenshot "$here/front-window.png" "$front"

xd_click_button "$front" kImgToolbarRects 3
setting=$(xd_wait_window '^Setting$' 15 "$app")
xdotool mousemove --sync 5 5
sleep 0.5
xd_screenshot "$here/settings-window.png" "$setting"
xdotool key Escape
xd_wait_gone "$setting" 10

cp "$here/front-window.png" "$root/resources/help/screenshot.png"
echo "Wrote $here/front-window.png, $here/settings-window.png and resources/help/screenshot.png"
