#!/usr/bin/env bash
# Shows Pagewright at work on a machine without a display: starts it on a virtual X display
# and, with xdotool, does what a person would do: Add Folder with the sample pictures, sort the
# list (Control > Sort by File Path and Name, so the pages follow the samples' names), Convert,
# wait for the PDF, and close the window with its close button. Prints where the PDF and the
# screenshots went.
#
# Usage: scripts/demo-headless.sh [PROGRAM [PICTURE_FOLDER]]
#   PROGRAM         defaults to build/app/pagewright
#   PICTURE_FOLDER  defaults to samples/
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
# shellcheck source-path=SCRIPTDIR source=lib/xdriver.sh
. "$here/lib/xdriver.sh"

program=$(realpath "${1:-$root/build/app/pagewright}")
pictures=$(realpath "${2:-$root/samples}")
app_dir=$(dirname "$program")
shots=$(realpath -m "$app_dir/../demo")

fail() {
    printf 'Demo failed: %s\n' "$*" >&2
    if [ -n "${work:-}" ] && [ -s "$work/pagewright.log" ]; then
        echo "Last lines the program printed:" >&2
        grep -v '^TIFFFieldWithTag' "$work/pagewright.log" | tail -n 15 >&2 || true
    fi
    exit 1
}

[ -x "$program" ] || fail "no program at $program (build it with ./scripts/build.sh)"
[ -d "$pictures" ] || fail "no picture folder at $pictures"
for tool in Xvfb xdotool xdpyinfo import convert pdfinfo; do
    command -v "$tool" >/dev/null || fail "$tool is missing (./scripts/install-deps.sh installs it)"
done

# The output folder the program will use: line 1 of setting.dll beside it, else ~/Output.
output_folder() {
    local file=$app_dir/setting.dll line=""
    if [ -f "$file" ]; then
        IFS= read -r line <"$file" || true
        line=${line%$'\r'}
        if [[ $line == \"* ]]; then
            line=${line#\"}
            line=${line%%\"*}
        else
            line=${line%%,*}
            line=${line%"${line##*[![:space:]]}"}
        fi
    fi
    printf '%s\n' "${line:-$HOME/Output}"
}

work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-demo.XXXXXX")
app_pid=""
cleanup() {
    xd_stop_process "$app_pid"
    xd_stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$shots"
rm -f "$shots"/*.png
out=$(output_folder)
staging=${XDG_CACHE_HOME:-$HOME/.cache}/pagewright/quillon_tmp

xd_start_xvfb "$work" 1280x800x24 || fail "could not start a virtual display (Xvfb)"
echo "Virtual display $XD_DISPLAY started; running Pagewright on it."

# The program runs on the virtual X display whatever the caller's Qt settings say.
run_dir=$work/runtime
mkdir -m 700 "$run_dir"
(
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
    [ -n "${XDG_RUNTIME_DIR:-}" ] || export XDG_RUNTIME_DIR=$run_dir
    exec "$program"
) >"$work/pagewright.log" 2>&1 &
app_pid=$!

front=$(xd_wait_window '^Pagewright$' 30 "$app_pid") ||
    fail "the window did not appear (another Pagewright may be running for this user)"
xd_wait_placed "$front" 15 || fail "the window did not move onto the screen"
echo "The front window is up."

# Any message box the program shows: note its title, keep a picture of it, answer with Return.
boxes=0
answer_box() {
    local id=$1 title
    title=$(xdotool getwindowname "$id" 2>/dev/null || echo '?')
    boxes=$((boxes + 1))
    xd_screenshot "$shots/message-$boxes.png" || true
    echo "The program showed a message \"$title\" (see $shots/message-$boxes.png); answering with Return."
    xdotool key Return
    xd_wait_gone "$id" 10 || fail "the message \"$title\" did not close"
}

# Add Folder: Qt's folder chooser opens with the focus in its folder name field.
xd_click_button "$front" kImgToolbarRects 2
chooser=$(xd_wait_new_window 20 "$front") || fail "Add Folder opened no folder chooser"
echo "Folder chooser \"$(xdotool getwindowname "$chooser")\" is open; choosing $pictures"
xdotool type --delay 15 "$pictures"
xdotool key Return
xd_wait_gone "$chooser" 15 || fail "the folder chooser did not close after Return"
xd_wait_list_filled "$front" 60 || fail "the list did not fill with the pictures"

# Control > Sort by File Path and Name (the third entry of the menu).
shown=$(xd_shown_count)
xd_click_button "$front" kImgMenuRects 2
xd_wait_until 10 xd_shown_more_than "$shown" || fail "the Control menu did not open"
xdotool key Down Down Down Return
xd_wait_until 10 xd_shown_at_most "$shown" || fail "the Control menu did not close"
xd_wait_list_filled "$front" 30 || fail "the list did not settle after sorting"
xd_screenshot "$shots/1-pictures-listed.png"
echo "The pictures are listed."

# Convert, and wait for a new NewPDF*.pdf that stops growing while the job finishes.
shopt -s nullglob
before=("$out"/NewPDF*.pdf)
new_pdf() {
    local f
    for f in "$out"/NewPDF*.pdf; do
        case " ${before[*]} " in *" $f "*) ;; *)
            printf '%s\n' "$f"
            return 0
            ;;
        esac
    done
    return 1
}
tool_running() { pgrep -P "$app_pid" -x pdf.exe >/dev/null 2>&1; }

xd_click_button "$front" kImgConvertRect
echo "Convert pressed; waiting for the PDF in $out"
pdf="" last_size="" deadline=$((SECONDS + 180))
while :; do
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended during the conversion"
    box=$(xd_wait_new_window 0 "$front") && answer_box "$box"
    if [ -z "$pdf" ]; then
        pdf=$(new_pdf || true)
    else
        size=$(stat -c %s "$pdf" 2>/dev/null || echo "")
        # Done: the size holds, the builder has ended and the staging folder is removed,
        # which is the job's last step.
        if [ -n "$size" ] && [ "$size" = "$last_size" ] && ! tool_running && [ ! -e "$staging" ]; then
            break
        fi
        last_size=$size
    fi
    [ "$SECONDS" -lt "$deadline" ] || fail "no finished PDF appeared in $out within 180 s"
    sleep 0.5
done

# A report of pictures that could not be converted comes right after the job.
if box=$(xd_wait_new_window 3 "$front"); then
    answer_box "$box"
fi
xd_screenshot "$shots/2-converted.png"

# Close through the window's own close button.
xd_click_button "$front" kImgExitRect
closed=1
if xd_wait_until 20 xd_process_gone "$app_pid"; then
    status=0
    wait "$app_pid" || status=$?
    app_pid=""
    [ "$status" -eq 0 ] || {
        echo "Warning: Pagewright ended with status $status." >&2
        closed=0
    }
else
    echo "Warning: Pagewright did not end after its close button was pressed; stopping it." >&2
    closed=0
fi

pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }')
pictures_found=$(find "$pictures" -type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' \
    -o -iname '*.tif' -o -iname '*.tiff' -o -iname '*.gif' -o -iname '*.bmp' -o -iname '*.heic' \
    -o -iname '*.heif' -o -iname '*.avif' -o -iname '*.webp' -o -iname '*.jxl' \) | wc -l)
echo
echo "PDF made:     $pdf (${pages:-?} pages from $pictures_found pictures)"
echo "Screenshots:  $shots/1-pictures-listed.png"
echo "              $shots/2-converted.png"
[ "$boxes" -eq 0 ] || echo "Messages:     $boxes, pictures in $shots/message-*.png"
if [ "${pages:-0}" != "$pictures_found" ]; then
    echo "Warning: not every picture became a page (see the messages above)." >&2
    exit 1
fi
[ "$closed" -eq 1 ] || exit 1
