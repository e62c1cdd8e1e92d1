# shellcheck shell=bash
# Drives the real Pagewright window on an X display, as a person would, with xdotool.
# Sourced by scripts/demo-headless.sh and the smoke tests; defines xd_* functions only.
# Needs Xvfb, xdotool, xdpyinfo (x11-utils) and ImageMagick's import/convert.
#
# Button positions come from resources/layout.h (twips, 15 twips = 1 pixel at 96 DPI), so the
# clicks follow the window's layout.

XD_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
XD_LAYOUT=${XD_LAYOUT:-$XD_ROOT/resources/layout.h}
XD_XVFB_PID=""
XD_DISPLAY=""

xd_log() { printf '%s\n' "$*" >&2; }

# xd_wait_until SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds; fails when the
# time is up.
xd_wait_until() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# xd_start_xvfb WORKDIR [SCREEN]: starts Xvfb on the first free display number (Xvfb picks it
# itself and reports it through -displayfd) with a white root window, and exports DISPLAY.
# -noreset: by default the server resets whenever its last client leaves (xdpyinfo, xdotool,
# a program that just ended), and a program connecting during that reset is refused and
# aborts in QApplication's constructor.
xd_start_xvfb() {
    local dir=$1 screen=${2:-1280x800x24}
    local numberFile=$dir/xvfb.display
    : >"$numberFile"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset -wr 3>"$numberFile" \
        >"$dir/xvfb.log" 2>&1 &
    XD_XVFB_PID=$!
    if ! xd_wait_until 15 test -s "$numberFile"; then
        xd_log "Xvfb did not start; its log:"
        cat "$dir/xvfb.log" >&2
        return 1
    fi
    XD_DISPLAY=":$(head -n 1 "$numberFile")"
    export DISPLAY=$XD_DISPLAY
    if ! xd_wait_until 15 xd_display_answers; then
        xd_log "Xvfb on $XD_DISPLAY does not answer"
        return 1
    fi
}

xd_display_answers() { xdpyinfo >/dev/null 2>&1; }

xd_stop_xvfb() {
    if [ -n "$XD_XVFB_PID" ] && kill -0 "$XD_XVFB_PID" 2>/dev/null; then
        kill "$XD_XVFB_PID" 2>/dev/null || true
        wait "$XD_XVFB_PID" 2>/dev/null || true
    fi
    XD_XVFB_PID=""
}

# xd_stop_process PID: ends a process this script started, and its children, by their ids.
xd_stop_process() {
    local pid=$1 child
    [ -n "$pid" ] || return 0
    kill -0 "$pid" 2>/dev/null || return 0
    for child in $(pgrep -P "$pid" 2>/dev/null); do
        kill -9 "$child" 2>/dev/null || true
    done
    kill "$pid" 2>/dev/null || true
    xd_wait_until 5 xd_process_gone "$pid" || kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

xd_process_gone() { ! kill -0 "$1" 2>/dev/null; }

# xd_visible_windows NAME_REGEX: ids of the visible windows whose name matches.
xd_visible_windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }

xd_window_count() { xd_visible_windows "$1" | wc -l; }

# Every shown window, popup menus included (they carry no plain WM_NAME that --name '.' sees).
xd_shown_count() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
xd_shown_more_than() { [ "$(xd_shown_count)" -gt "$1" ]; }
xd_shown_at_most() { [ "$(xd_shown_count)" -le "$1" ]; }

xd_window_visible() { xd_visible_windows '.' | grep -qx "$1"; }

# xd_wait_window NAME_REGEX SECONDS [PID]: prints the id of the first visible window whose
# name matches; with PID, gives up as soon as that process has ended.
xd_wait_window() {
    local name=$1 limit=$2 pid=${3:-} id deadline=$((SECONDS + $2))
    while :; do
        id=$(xd_visible_windows "$name" | head -n 1)
        if [ -n "$id" ]; then
            printf '%s\n' "$id"
            return 0
        fi
        if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
            xd_log "the program ended before a window named '$name' appeared"
            return 1
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            xd_log "no window named '$name' appeared within $limit s"
            return 1
        fi
        sleep 0.1
    done
}

# xd_wait_new_window SECONDS KNOWN_IDS...: prints the id of a visible, named window that is
# not among KNOWN_IDS.
xd_wait_new_window() {
    local limit=$1 id deadline=$(($1 + SECONDS))
    shift
    while :; do
        for id in $(xd_visible_windows '.'); do
            case " $* " in *" $id "*) ;; *)
                printf '%s\n' "$id"
                return 0
                ;;
            esac
        done
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

xd_window_hidden() { ! xd_window_visible "$1"; }

# xd_wait_gone ID SECONDS: waits until the window is no longer shown.
xd_wait_gone() { xd_wait_until "$2" xd_window_hidden "$1"; }

# xd_geometry ID: sets XD_X, XD_Y (top-left on the screen), XD_W and XD_H.
xd_geometry() {
    local key value
    XD_X="" XD_Y="" XD_W="" XD_H=""
    while IFS='=' read -r key value; do
        case $key in
        X) XD_X=$value ;;
        Y) XD_Y=$value ;;
        WIDTH) XD_W=$value ;;
        HEIGHT) XD_H=$value ;;
        esac
    done < <(xdotool getwindowgeometry --shell "$1" 2>/dev/null)
    [ -n "$XD_X" ] && [ -n "$XD_Y" ] && [ -n "$XD_W" ] && [ -n "$XD_H" ]
}

# xd_wait_placed ID SECONDS: the front window starts parked above and left of the screen and
# moves to the middle on its first timer tick; waits until it is on the screen and stays put.
xd_wait_placed() {
    local id=$1 limit=$2 last="" now deadline=$((SECONDS + $2))
    while :; do
        if xd_geometry "$id" && [ "$XD_X" -ge 0 ] && [ "$XD_Y" -ge 0 ]; then
            now="$XD_X,$XD_Y,$XD_W,$XD_H"
            [ "$now" = "$last" ] && return 0
            last=$now
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            xd_log "the window did not settle on the screen within $limit s (last: ${XD_X:-?},${XD_Y:-?})"
            return 1
        fi
        sleep 0.2
    done
}

xd_screen_size() {
    xdpyinfo 2>/dev/null | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2]; exit }'
}

# xd_layout_rect NAME [INDEX]: the design rectangle "left top width height" in twips of a
# TwipRect constant (or of entry INDEX of a TwipRect array) in resources/layout.h.
xd_layout_rect() {
    awk -v name="$1" -v idx="${2:-0}" '
        !found && $0 ~ ("TwipRect[ \t]+" name "[[{]") { found = 1 }
        found { text = text " " $0; if ($0 ~ /;/) exit }
        END {
            if (!found) exit 1
            sub(/^[^{]*\{/, "", text)
            gsub(/[^0-9]+/, " ", text)
            n = split(text, v, " ")
            first = idx * 4
            if (first + 4 > n) exit 1
            print v[first + 1], v[first + 2], v[first + 3], v[first + 4]
        }' "$XD_LAYOUT"
}

# Twips to whole pixels at 96 DPI, as the window places its controls (nearest, half up).
xd_px() { echo $((($1 * 2 + 15) / 30)); }

# xd_button_centre NAME [INDEX]: "x y" of a control's centre, in pixels from the window's
# top-left corner.
xd_button_centre() {
    local rect left top width height
    rect=$(xd_layout_rect "$1" "${2:-0}") || {
        xd_log "no layout rectangle $1[${2:-0}] in $XD_LAYOUT"
        return 1
    }
    read -r left top width height <<<"$rect"
    echo "$(($(xd_px "$left") + $(xd_px "$width") / 2)) $(($(xd_px "$top") + $(xd_px "$height") / 2))"
}

# xd_click_button WINDOW NAME [INDEX]: presses (and releases) the left mouse button over a
# picture button of the front window.
xd_click_button() {
    local window=$1 dx dy
    read -r dx dy < <(xd_button_centre "$2" "${3:-0}") || return 1
    xd_geometry "$window" || {
        xd_log "window $window is gone"
        return 1
    }
    xdotool mousemove --sync $((XD_X + dx)) $((XD_Y + dy)) click 1
}

# xd_screenshot FILE [WINDOW]: the whole screen, or only the window's rectangle.
xd_screenshot() {
    local file=$1 window=${2:-}
    if [ -n "$window" ]; then
        xd_geometry "$window" || return 1
        import -window root -crop "${XD_W}x${XD_H}+${XD_X}+${XD_Y}" +repage "$file"
    else
        import -window root "$file"
    fi
}

# xd_list_signature WINDOW: a number describing how much dark text the front window's file
# list shows (0 when empty); used to see the list fill and settle.
xd_list_signature() {
    local window=$1 left top width height shot
    read -r left top width height < <(xd_layout_rect kList1Rect) || return 1
    xd_geometry "$window" || return 1
    shot=$(mktemp --suffix=.png)
    import -window root -crop \
        "$(($(xd_px "$width") - 8))x$(($(xd_px "$height") - 8))+$((XD_X + $(xd_px "$left") + 4))+$((XD_Y + $(xd_px "$top") + 4))" \
        +repage "$shot" 2>/dev/null || {
        rm -f "$shot"
        return 1
    }
    convert "$shot" -colorspace Gray -threshold 35% -negate -format '%[fx:mean]' info: 2>/dev/null
    rm -f "$shot"
}

# xd_wait_list_filled WINDOW SECONDS: waits until the list shows entries and stops changing.
xd_wait_list_filled() {
    local window=$1 limit=$2 last="" now deadline=$((SECONDS + $2))
    while :; do
        now=$(xd_list_signature "$window" || true)
        if [ -n "$now" ] && [ "$now" != "0" ] && [ "$now" = "$last" ]; then
            return 0
        fi
        last=$now
        if [ "$SECONDS" -ge "$deadline" ]; then
            xd_log "the file list did not fill within $limit s"
            return 1
        fi
        sleep 0.5
    done
}
