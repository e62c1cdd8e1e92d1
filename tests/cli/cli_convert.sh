#!/usr/bin/env bash
# `pagewright convert` as a user runs it: the real program, no display, generated pictures;
# both modes, names, order, --sort, document properties, exit statuses 0-3, a failing builder,
# Ctrl+C, -o naming the PDF, several conversions side by side and beside the window.
# Usage: cli_convert.sh PATH_TO_PAGEWRIGHT SAMPLES_FOLDER FAKE_TOOL
set -uo pipefail
program=${1:?usage: $0 PATH_TO_PAGEWRIGHT SAMPLES_FOLDER FAKE_TOOL}
samples=${2:?}
fake_tool=${3:?}
# No display of any kind: the command line must not need one.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

work=$(mktemp -d "${TMPDIR:-/tmp}/pagewright-cli.XXXXXX")
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$work/in/sub" "$work/sort"
window_pid=
cleanup() {
    [ -n "$window_pid" ] && kill "$window_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=../support/checks.sh
. "$(dirname "$0")/../support/checks.sh"
# run ARGS...: runs convert; status in $status, stdout in $out, stderr in $err.
run() {
    "$program" convert "$@" >"$work/stdout" 2>"$work/stderr"
    status=$?
    out=$(cat "$work/stdout")
    err=$(cat "$work/stderr")
}
sizes() { pdfinfo -f 1 -l 99 "$1" | sed -n 's/^Page *[0-9]* size: *\([0-9.]* x [0-9.]*\).*/\1/p' | paste -sd,; }

# Three pictures of different page sizes; names whose order depends on letter case.
cp "$samples/01-sunrise.jpg" "$work/in/c.jpg"    # 480 x 360
cp "$samples/05-ruby.bmp" "$work/in/B.bmp"       # 240 x 180
cp "$samples/03-meadow.tif" "$work/in/sub/a.tif" # 360 x 480
echo "not a picture" >"$work/in/notes.txt"
cp "$work/in/c.jpg" "$work/in/B.bmp" "$work/in/sub/a.tif" "$work/sort/"
printf 'no JPEG data' >"$work/bad.jpg"
head -c 150 "$samples/01-sunrise.jpg" >"$work/cut.jpg" # ends in its headers
land="480 x 360" small="240 x 180" port="360 x 480"

# One PDF, pictures in the order given, made in a new nested folder.
run -q -o "$work/out/one" "$work/in/c.jpg" "$work/in/B.bmp" "$work/in/sub/a.tif" \
    --title "Trip" --author "Ann" --subject "Hills" --keywords "a, b"
check "one PDF: status 0 ($status: $err)" test "$status" -eq 0
check "one PDF: its path is printed" test "$out" = "$work/out/one/NewPDF.pdf"
check "one PDF: pages in the order given" test "$(sizes "$out")" = "$land,$small,$port"
info=$(pdfinfo "$work/out/one/NewPDF.pdf")
check "one PDF: properties written" eval 'grep -q "^Title: *Trip$" <<<"$info" &&
    grep -q "^Author: *Ann$" <<<"$info" && grep -q "^Subject: *Hills$" <<<"$info" &&
    grep -q "^Keywords: *a, b$" <<<"$info"'
check "quiet: nothing on stderr" test -z "$err"

# --sort orders as the list's sort does (letter case ignored); the name taken gives NewPDF1.
run --sort -o "$work/out/one" "$work/sort/c.jpg" "$work/sort/a.tif" "$work/sort/B.bmp"
check "sorted: next free name" test "$out" = "$work/out/one/NewPDF1.pdf"
check "sorted: a, B, c" test "$(sizes "$out")" = "$port,$small,$land"
check "progress as plain lines when stderr is no terminal" \
    eval 'grep -q "^converting 3/3 (100%)$" <<<"$err" && grep -q "^creating " <<<"$err"'

# A folder: its own pictures first, then its subfolders'; other files passed over.
run -q --one -o "$work/out/folder" "$work/in"
check "folder: status 0 and Add Folder's order" \
    test "$status:$(sizes "$out")" = "0:$small,$land,$port"

# One PDF per picture: named after the pictures; existing ones kept unless --overwrite.
run -q --each -o "$work/out/each" "$work/in/c.jpg" "$work/in/B.bmp"
check "each: one PDF per picture" test "$out" = "$work/out/each/c.pdf"$'\n'"$work/out/each/B.pdf"
run -q --each -o "$work/out/each" "$work/in/c.jpg"
check "each: an existing PDF is kept, the new one numbered" \
    test "$status:$out" = "0:$work/out/each/c1.pdf"
run -q --each --overwrite -o "$work/out/each" "$work/in/c.jpg"
check "each: --overwrite replaces it" test "$status:$out" = "0:$work/out/each/c.pdf"

# Page layout: the page turns to the picture on A4; custom paper, margins and fill; the JPEG
# kept byte for byte; bad values refused.
run -q -o "$work/out/page" --page-size A4 "$work/in/c.jpg" "$work/in/sub/a.tif"
check "A4 auto: landscape, then portrait" \
    test "$status:$(sizes "$out")" = "0:841.89 x 595.276,595.276 x 841.89"
run -q --each -o "$work/out/page" --page-size=100x150mm --orientation landscape --margin 20 \
    --fit fill "$work/in/c.jpg"
check "custom paper turned as asked" test "$status:$(sizes "$out")" = "0:425.197 x 283.465"
pdfimages -all "$out" "$work/out/page/image"
check "the JPEG is kept byte for byte" cmp -s "$work/out/page/image-000.jpg" "$work/in/c.jpg"
run -q --margin 51 "$work/in/c.jpg"
check "margin over 50 mm: status 1" eval 'test "$status" -eq 1 && grep -q "margin" <<<"$err"'
run -q --fit stretch "$work/in/c.jpg"
check "unknown fit: status 1" test "$status" -eq 1

# Several pictures share a sheet only on paper, and never with splitting.
run -q -o "$work/out/sheet" --page-size A4 --per-sheet 2x2 --gap 3 "$work/in/c.jpg" \
    "$work/in/sub/a.tif" "$work/in/B.bmp"
check "--per-sheet 2x2: three pictures on one sheet" eval 'test "$status" -eq 0 &&
    test "$(pdfinfo "$out" | grep -c "^Pages: *1$"):$(pdfimages -list "$out" | grep -c image)" = 1:3'
run -q --per-sheet 2x2 "$work/in/c.jpg"
check "--per-sheet without paper: status 1" eval 'test "$status" -eq 1 && grep -q "paper" <<<"$err"'
run -q --page-size A4 --per-sheet 2x2 --split-tall "$work/in/c.jpg"
check "--per-sheet with --split-tall: status 1" \
    eval 'test "$status" -eq 1 && grep -q "split" <<<"$err"'
run -q --page-size A4 --per-sheet 11x1 "$work/in/c.jpg"
check "--per-sheet 11x1: status 1" eval 'test "$status" -eq 1 && grep -q "no grid" <<<"$err"'
# Options that could not act are refused, naming what they need; so is too little room.
refusals=("--split-tall|--split-tall needs a paper size (--page-size)"
    "--page-size=A4 --overlap=5|--overlap needs --split-tall"
    "--page-size=A4 --gap=5|--gap needs --per-sheet"
    "--page-size=A5 --per-sheet=10x10 --margin=50 --gap=50|each picture would get 0.0 x 0.0 mm"
    "--quality=lossless --keep-colour|--keep-colour needs a quality (--quality 1-100)")
for refusal in "${refusals[@]}"; do
    # shellcheck disable=SC2086 # the options are words
    run -q ${refusal%%|*} "$work/in/c.jpg"
    check "${refusal%%|*}: status 1, said" \
        eval 'test "$status" -eq 1 && grep -qF -- "${refusal#*|}" <<<"$err"'
done

# --rotate turns every page, the JPEG still byte for byte; other turns are refused.
run -q -o "$work/out/turned" --rotate 90 "$work/in/c.jpg" "$work/in/B.bmp"
check "--rotate 90: every page turned" test "$status:$(sizes "$out")" = "0:360 x 480,180 x 240"
pdfimages -f 1 -l 1 -all "$out" "$work/out/turned/image"
check "--rotate: the JPEG is kept byte for byte" \
    cmp -s "$work/out/turned/image-000.jpg" "$work/in/c.jpg"
run -q --rotate 45 "$work/in/c.jpg"
check "--rotate 45: status 1" eval 'test "$status" -eq 1 && grep -q "45.* is no turn" <<<"$err"'
help=$("$program" convert --help)
check "--rotate in convert --help" grep -q -- "--rotate DEG" <<<"$help"

# Quality: a lower one makes a smaller page, lossless keeps the pixels (Flate, not JPEG).
run -q -o "$work/out/q30" --quality 30 "$work/in/B.bmp"
q30=$(stat -c %s "$out")
run -q -o "$work/out/q95" --quality=95 "$work/in/B.bmp"
check "quality 30 is smaller than 95" test "$status" -eq 0 -a "$q30" -lt "$(stat -c %s "$out")"
run -q -o "$work/out/whole" --quality lossless "$work/in/B.bmp" "$work/in/c.jpg"
check "lossless: the BMP as Flate, the JPEG as it is" \
    eval 'test "$status" -eq 0 && pdfimages -list "$out" | awk "NR>2{print \$9}" | paste -sd, |
    grep -qx "image,jpeg"'
run -q --quality 0 "$work/in/c.jpg"
check "quality 0: status 1" eval 'test "$status" -eq 1 && grep -q "quality" <<<"$err"'

# A PDF in the list: its pages as they are, in its place; an encrypted one needs its password.
qpdf --encrypt letters boss 256 -- "$work/out/one/NewPDF.pdf" "$work/locked.pdf"
run -q -o "$work/out/pdfin" "$work/in/c.jpg" "$work/locked.pdf"
check "encrypted PDF without its password: status 2, named" eval 'test "$status" -eq 2 &&
    grep -qF "$work/locked.pdf: needs a password" <<<"$err" && test "$(sizes "$out")" = "$land"'
printf 'letters\n' >"$work/inpass"
run -q -o "$work/out/pdfin" --rotate 90 --input-password-file "$work/inpass" "$work/locked.pdf" \
    "$work/in/c.jpg"
check "--input-password-file: its pages first as they are, each turned" eval \
    'test "$status:$(sizes "$out")" = "0:$land,$small,$port,$port" &&
    test "$(pdfinfo -f 1 -l 4 "$out" | grep -c "rot: *90$")" = 3'

# Passwords come from files or standard input, never from an argument; each PDF encrypted.
printf 'open sesame\nsecond line\n' >"$work/pass"
run -q --each -o "$work/out/locked" --password-file "$work/pass" --no-print \
    "$work/in/c.jpg" "$work/in/B.bmp"
check "password file: status 0, two PDFs" test "$status:$(wc -l <<<"$out")" = "0:2"
for pdf in $out; do
    check "password file: $pdf opens with the first line only" eval \
        'test "$(qpdf --password="open sesame" --show-npages "$pdf")" = 1 &&
        ! qpdf --show-npages "$pdf" >/dev/null 2>&1'
    shown=$(qpdf --password="open sesame" --show-encryption "$pdf")
    check "--no-print: AES-256, not printable, copying allowed" eval 'grep -q "^R = 6$" <<<"$shown" &&
        grep -q "print high resolution: not allowed" <<<"$shown" &&
        grep -q "extract for any purpose: allowed" <<<"$shown"'
done
run -q -o "$work/out/owner" --owner-password-file - --no-copy "$work/in/c.jpg" <<<boss
shown=$(qpdf --password=boss --show-encryption "$out")
check "owner password from standard input: opens without a password, no copying" eval \
    'test "$status:$(qpdf --show-npages "$out")" = "0:1" &&
    grep -q "Supplied password is owner" <<<"$shown" &&
    grep -q "extract for any purpose: not allowed" <<<"$shown"'
run -q -o "$work/out/nopass" --password-file "$work/missing" "$work/in/c.jpg"
check "unreadable password file: status 1, named" \
    eval 'test "$status" -eq 1 && grep -q "$work/missing" <<<"$err"'
printf '\nsecond line\n' >"$work/blank"
run -q -o "$work/out/blank" --password-file "$work/blank" "$work/in/c.jpg"
check "empty first line: status 1, no open PDF" eval 'test "$status" -eq 1 && test -z "$out" &&
    grep -q "no password" <<<"$err" && ! test -e "$work/out/blank"'
run -q -o "$work/out/twice" --password-file - --owner-password-file - "$work/in/c.jpg" <"$work/pass"
check "standard input for one password only: status 1, nothing written" \
    eval 'test "$status" -eq 1 && grep -q "standard input" <<<"$err" && test -z "$out"'
# Restrictions alone encrypt, with a random owner password, said once.
run -q -o "$work/out/restricted" --no-print "$work/in/c.jpg"
shown=$(qpdf --show-encryption "$out")
check "--no-print alone: AES-256, opens, not printable, said" eval 'test "$status" -eq 0 &&
    grep -q "^R = 6$" <<<"$shown" && grep -q "print high resolution: not allowed" <<<"$shown" &&
    test "$err" = "pagewright convert: restrictions applied with a random owner password"'
# Password files: 127 bytes and a line end at most, UTF-8, a regular file or standard input;
# a FIFO or a device is refused at once, never waited on or read without end.
printf '%0127d\r\n' 7 >"$work/pass127"
run -q -o "$work/out/long" --password-file "$work/pass127" "$work/in/c.jpg"
check "a password of 127 bytes opens the PDF" eval 'test "$status" -eq 0 &&
    test "$(qpdf --password="$(printf %0127d 7)" --show-npages "$out")" = 1'
printf '%0128d\n' 7 >"$work/pass128"
printf 'caf\xe9\n' >"$work/latin1"
mkfifo "$work/fifo"
for refused in "$work/pass128|is longer than 127 bytes" "-|is longer than 127 bytes" \
    "$work/latin1|is not UTF-8" "$work/fifo|not a regular file" "/dev/zero|not a regular file"; do
    run -q --password-file "${refused%%|*}" "$work/in/c.jpg" </dev/zero
    check "password file ${refused%%|*}: status 1, ${refused#*|}" \
        eval 'test "$status" -eq 1 && grep -q "${refused#*|}" <<<"$err"'
done
check "password options in convert --help" eval 'grep -q -- "--password-file FILE" <<<"$help" &&
    grep -q -- "--no-copy" <<<"$help"'

# PDF/A: the level's metadata and PDF version; refused with a password, in one line.
run -q -o "$work/out/archive" --pdfa 1b "$work/in/c.jpg" "$work/in/B.bmp"
check "--pdfa 1b: PDF 1.4 identified as PDF/A-1b" eval 'test "$status" -eq 0 &&
    head -c 8 "$out" | grep -q "%PDF-1.4" && grep -aq "<pdfaid:part>1</pdfaid:part>" "$out"'
run -q -o "$work/out/archive" --pdfa 2b --password-file "$work/pass" "$work/in/c.jpg"
check "--pdfa with a password: status 1, one line, nothing written" eval 'test "$status" -eq 1 &&
    test "$(wc -l <<<"$err")" -eq 1 && grep -q "PDF/A does not allow encryption" <<<"$err" &&
    test -z "$out"'
run -q --pdfa 3u "$work/in/c.jpg"
check "--pdfa 3u: status 1" eval 'test "$status" -eq 1 && grep -q "PDF/A level" <<<"$err"'

# Black and white: JBIG2 by default, CCITT Group 4 with --bilevel g4; anything else refused.
convert -size 64x48 pattern:checkerboard -monochrome "$work/bw.png"
encodings() { pdfimages -list "$1" | awk 'NR > 2 { print $9 }' | paste -sd,; }
run -q -o "$work/out/bw" "$work/bw.png" "$work/in/c.jpg"
check "black and white: JBIG2 by default" test "$status:$(encodings "$out")" = "0:jbig2,jpeg"
run -q -o "$work/out/bw" --bilevel g4 "$work/bw.png"
check "--bilevel g4: CCITT Group 4" test "$status:$(encodings "$out")" = "0:ccitt"
run -q --bilevel jbig "$work/bw.png"
check "--bilevel jbig: status 1" eval 'test "$status" -eq 1 && grep -q "black-and-white coding" <<<"$err"'
check "--bilevel in convert --help" grep -q -- "--bilevel CODING" <<<"$help"

# The newer picture types, named in any letter case.
cp "$samples/06-harbour.heic" "$work/h.HEIC"
cp "$samples/07-lagoon.webp" "$work/l.webp"
run -q -o "$work/out/new" "$work/h.HEIC" "$work/l.webp"
check "HEIC and WebP: status 0, one page each" \
    test "$status:$(sizes "$out")" = "0:480 x 360,480 x 360"

# Exit statuses.
run -q -o "$work/out/bad" "$work/bad.jpg" "$work/in/c.jpg"
check "some pictures missing: status 2, the picture named" \
    eval 'test "$status" -eq 2 && grep -q "bad.jpg" <<<"$err" && test -n "$out"'
for quality in 90 lossless; do
    run -q --quality "$quality" -o "$work/out/bad" "$work/bad.jpg" "$work/cut.jpg" "$work/in/c.jpg"
    check "$quality: each missing picture named with its reason on its line" test "$status:$err" = \
        "2:pagewright convert: $work/bad.jpg: not a picture (unknown format)
pagewright convert: $work/cut.jpg: damaged (JPEG data ends early)"
done
run -q --each -o "$work/out/bad" "$work/bad.jpg"
check "nothing written: status 3" test "$status:$out" = "3:"
run -q "$work/in/notes.txt" "$work/in/c.jpg"
check "not a picture: status 1, named" eval 'test "$status" -eq 1 && grep -q notes.txt <<<"$err"'
run --frobnicate "$work/in/c.jpg"
check "unknown option: status 1" test "$status" -eq 1
run -q
check "no pictures: status 1" test "$status" -eq 1
check "--help and --version need no display either" \
    eval 'grep -q "pagewright convert" <<<"$("$program" --help)" &&
          grep -q "^pagewright [0-9]" <<<"$("$program" -V)"'
check "no output on usage errors" test ! -e "$HOME/Output"

# A builder that fails: the fake tool in its place, in a copy of the program's folder; for
# the second picture it kills itself, the others go to the real builder.
mkdir -p "$work/app/data"
cp "$program" "$work/app/pagewright"
cp "$fake_tool" "$work/app/data/pdf.exe"
second=00001.jpg # the builder works in its job's staging folder
real=$(dirname "$program")/data/pdf.exe
three=("$work/in/c.jpg" "$work/in/B.bmp" "$work/in/sub/a.tif")
named="pagewright convert: $work/in/B.bmp: the PDF builder was ended by SIGKILL"
PW_FAKE_STEPS=$(printf 'when:%s\nkill\nrun:%s' "$second" "$real") program=$work/app/pagewright \
    run -q --each -o "$work/out/killed" "${three[@]}"
check "each, builder killed for one picture: status 2, the picture named with the reason" \
    test "$status:$err" = "2:$named"
check "each, builder killed for one picture: the others written" \
    test "$out" = "$work/out/killed/c.pdf"$'\n'"$work/out/killed/a.pdf"
PW_FAKE_STEPS=kill program=$work/app/pagewright run -q --each -o "$work/out/killed" "${three[@]}"
check "each, builder killed every time: status 3, every picture named" \
    test "$status:$out:$(grep -c "^pagewright convert: .*: the PDF builder was ended by SIGKILL$" <<<"$err")" = "3::3"
PW_FAKE_STEPS=kill program=$work/app/pagewright run -q -o "$work/out/killed" "${three[@]}"
check "one PDF, builder killed: status 3, said" \
    test "$status:$err" = "3:pagewright convert: The PDF builder stopped before it finished."

# Ctrl+C (SIGINT), SIGTERM and SIGHUP stop the job: the first picture's PDF stays, the builder hanging
# on the second is ended, no staged file is left; status 128 + the signal. Standard error says
# where it stopped, never 100 %: after plain lines (SIGINT), after the bar on a terminal
# (SIGTERM) and quietly (SIGHUP).
declare -A progress=([INT]=$'converting 1/3 (33%)\npagewright convert: '
    [TERM]=$'[#######.................]  33%  1/3 converting\npagewright convert: '
    [HUP]='pagewright convert: ')
for signal in INT:130 TERM:143 HUP:129; do
    rm -rf "$work/out/stopped" "$work/pid"
    convert=("$work/app/pagewright" convert --each -o "$work/out/stopped" "${three[@]}")
    export PW_FAKE_STEPS=$(printf 'when:%s\nsleep:60000\nrun:%s' "$second" "$real")
    case $signal in
    INT*) "${convert[@]}" >"$work/stdout" 2>"$work/stderr" & ;;
    TERM*)
        script -qfec "echo \$\$ >'$work/pid'; exec $(printf '%q ' "${convert[@]}")>'$work/stdout'" \
            "$work/stderr" >/dev/null &
        ;;
    HUP*) "${convert[@]}" -q >"$work/stdout" 2>"$work/stderr" & ;;
    esac
    convert_pid=$!
    unset PW_FAKE_STEPS
    for _ in $(seq 300); do [ -e "$work/out/stopped/c.pdf" ] && break; sleep 0.05; done
    sleep 0.3
    kill -"${signal%:*}" "$( [ -s "$work/pid" ] && cat "$work/pid" || echo "$convert_pid")"
    wait "$convert_pid"
    status=$?
    check "SIG${signal%:*}: status ${signal#*:}, the finished PDF kept and printed" \
        test "$status:$(cat "$work/stdout")" = "${signal#*:}:$work/out/stopped/c.pdf"
    check "SIG${signal%:*}: nothing else written, no staged files left" \
        eval 'test "$(ls "$work/out/stopped")" = c.pdf && test -z "$(ls -A "$XDG_CACHE_HOME/pagewright/jobs" 2>/dev/null)"'
    check "SIG${signal%:*}: no builder left running" eval '! pgrep -f "$work/app/data/pdf.exe" >/dev/null'
    # Each state of the bar on a line of its own, without the terminal's erasing.
    err=$(grep -v "^Script " "$work/stderr" | tr '\r' '\n' | sed 's/\x1b\[K//g' | grep .)
    shown=$err # quiet: that line alone
    [ "${signal%:*}" = HUP ] || shown=$(tail -n 2 <<<"$err")
    check "SIG${signal%:*}: where it stopped is said, never 100 % ($err)" eval '! grep -q "100%" <<<"$err" &&
        test "$shown" = "${progress[${signal%:*}]}stopped at 1 of 3"'
done

# Ctrl+C while a large picture is being decoded (seconds of work here) ends the run within a
# second: status 130, nothing written or left staged, no builder left.
head -c $((6000 * 6000 * 3)) /dev/zero >"$work/large.raw"
raw2tiff -w 6000 -l 6000 -b 3 -d byte -p rgb -c none -r 16 "$work/large.raw" "$work/large.tif" &&
    tiffset -s 274 3 "$work/large.tif" # turned: read strip by strip, turned pixel by pixel
rm -f "$work/large.raw"
large=$(realpath "$work/large.tif")
# part_way PID: the process has the picture open past its first and before its last tenth.
part_way() {
    local fd pos size
    size=$(stat -c %s "$large")
    for fd in /proc/"$1"/fd/*; do
        [ "$(readlink "$fd" 2>/dev/null)" = "$large" ] || continue
        pos=$(awk '/^pos:/ { print $2 }' "/proc/$1/fdinfo/${fd##*/}" 2>/dev/null)
        [ -n "$pos" ] && [ "$pos" -gt $((size / 10)) ] && [ "$pos" -lt $((size - size / 10)) ] &&
            return 0
    done
    return 1
}
"$program" convert -q -o "$work/out/large" "$large" >"$work/stdout" 2>"$work/stderr" &
convert_pid=$!
decoding=no
for _ in $(seq 1500); do
    if part_way "$convert_pid" && sleep 0.05 && part_way "$convert_pid"; then
        decoding=yes
        break
    fi
    sleep 0.02
done
start=$(date +%s%N)
kill -INT "$convert_pid"
wait "$convert_pid"
status=$?
took=$((($(date +%s%N) - start) / 1000000))
check "Ctrl+C mid-decode: the picture was being decoded" test "$decoding" = yes
check "Ctrl+C mid-decode: status 130 within a second ($status after $took ms)" \
    test "$status:$((took < 1000))" = 130:1
check "Ctrl+C mid-decode: nothing written or staged" \
    eval 'test -z "$(ls -A "$work/out/large" 2>/dev/null)" &&
        test -z "$(ls -A "$XDG_CACHE_HOME/pagewright/jobs" 2>/dev/null)"'
check "Ctrl+C mid-decode: no builder left" eval '! pgrep -f "pdf.exe.*$XDG_CACHE_HOME" >/dev/null'
rm -f "$large"

# -o naming the PDF itself: made with its folder's parents, an existing one kept unless
# --overwrite; in per-picture mode it is a usage error.
run -q -o "$work/out/named/deep/Scans.PDF" "$work/in/c.jpg"
check "-o FILE.pdf: that file, its folders made" \
    test "$status:$out:$(sizes "$out")" = "0:$work/out/named/deep/Scans.PDF:$land"
run -q -o "$work/out/named/deep/Scans.PDF" "$work/in/c.jpg" "$work/in/B.bmp"
check "-o FILE.pdf taken: the next free numbered name" \
    test "$status:$out" = "0:$work/out/named/deep/Scans1.PDF"
run -q --overwrite -o "$work/out/named/deep/Scans.PDF" "$work/in/B.bmp"
check "-o FILE.pdf --overwrite: replaced" \
    test "$status:$out:$(sizes "$work/out/named/deep/Scans.PDF")" = \
    "0:$work/out/named/deep/Scans.PDF:$small"
run -q --each -o "$work/out/named/each.pdf" "$work/in/c.jpg"
check "-o FILE.pdf with --each: status 1, said" \
    eval 'test "$status" -eq 1 && grep -q "names one PDF" <<<"$err" && test ! -e "$work/out/named/each.pdf"'

# Conversions side by side into one folder: every one complete, under a name of its own.
mkdir -p "$work/many"
for i in $(seq -w 1 15); do
    cp "$work/in/c.jpg" "$work/many/p$i.jpg"
    cp "$work/in/B.bmp" "$work/many/q$i.bmp"
done
for k in 1 2 3 4; do
    "$program" convert -q -o "$work/out/side" "$work/many" >"$work/side$k.out" 2>"$work/side$k.err" &
    pids[k]=$!
done
statuses=
for k in 1 2 3 4; do
    wait "${pids[k]}"
    statuses+=$?
done
check "four at once: all status 0 ($statuses: $(cat "$work"/side*.err))" test "$statuses" = 0000
names=$(cat "$work"/side*.out | sort)
check "four at once: four names of their own" \
    test "$(sort -u <<<"$names" | wc -l):$(ls "$work/out/side" | wc -l)" = "4:4"
complete=0
for pdf in $names; do
    qpdf --check "$pdf" >/dev/null 2>&1 && [ "$(pdfinfo "$pdf" | awk '/^Pages:/{print $2}')" = 30 ] &&
        complete=$((complete + 1))
done
check "four at once: four complete PDFs of 30 pages" test "$complete" -eq 4
check "four at once: no staging folder left" \
    eval 'test -z "$(ls -A "$XDG_CACHE_HOME/pagewright/jobs")" && test ! -e "$XDG_CACHE_HOME/pagewright/quillon_tmp"'

# While the window runs (it holds the per-user lock), convert runs as well.
QT_QPA_PLATFORM=offscreen "$program" >"$work/window.log" 2>&1 &
window_pid=$!
for _ in $(seq 100); do
    # An flock the window holds; the file itself outlives every run.
    [ -e "$XDG_CACHE_HOME/pagewright/pagewright.lock" ] &&
        ! flock -n "$XDG_CACHE_HOME/pagewright/pagewright.lock" true && break
    sleep 0.1
done
run -q -o "$work/out/beside" "$work/in/c.jpg"
check "beside the window: status 0, the PDF written" \
    test "$status:$out" = "0:$work/out/beside/NewPDF.pdf"
check "beside the window: the window still runs" kill -0 "$window_pid"

# A per-user folder that cannot be made is no "already running".
touch "$work/blocker"
XDG_CACHE_HOME=$work/blocker run -q -o "$work/out/blocked" "$work/in/c.jpg"
check "an unusable per-user folder: status 3, named with the reason" \
    eval 'test "$status" -eq 3 && grep -q "$work/blocker/pagewright.*Not a directory" <<<"$err"'

checks_finish cli_convert
