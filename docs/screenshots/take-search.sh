#!/usr/bin/env bash
# Makes ocr-search.png for the README: a photographed letter converted with
# `pagewright convert --ocr eng`, its page rendered by pdftoppm, and every word the PDF's text
# layer gives for a search (pdftotext -bbox, as a reader's search finds it) highlighted where
# the reader highlights it.
# Usage: docs/screenshots/take-search.sh [PATH_TO_PAGEWRIGHT] [WORD]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
program=$(realpath "${1:-$root/build/app/pagewright}")
word=${2:-harbour}
work=$(mktemp -d "${TMPDIR:-/tmp}/pw-search.XXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CACHE_HOME=$work/.cache XDG_CONFIG_HOME=$work/.config
unset DISPLAY WAYLAND_DISPLAY

font=/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf
convert -size 1000x700 xc:'#f4f1ea' -font "$font" -pointsize 26 -fill '#222' \
    -annotate +70+90 "Harbour Office, 3 May" \
    -annotate +70+170 "The new harbour wall was finished this week, and the" \
    -annotate +70+215 "boats came back to the inner harbour on Tuesday." \
    -annotate +70+260 "The market moves to the quay for the summer season." \
    -annotate +70+350 "Council meeting: Thursday evening, in the library." \
    -rotate 1.2 -blur 0x0.7 -attenuate 0.3 +noise Gaussian -density 120 -units PixelsPerInch \
    -quality 88 "$work/letter.jpg"
"$program" convert -q --ocr eng -o "$work/letter.pdf" "$work/letter.jpg" >/dev/null
pdftoppm -r 120 -png -singlefile "$work/letter.pdf" "$work/page"
pdftotext -bbox "$work/letter.pdf" "$work/boxes.html"
python3 - "$work/page.png" "$work/boxes.html" "$word" "$here/ocr-search.png" <<'PY'
import re, sys
from PIL import Image, ImageDraw
page, boxes, word, out = sys.argv[1:]
image = Image.open(page).convert("RGB")
scale = 120 / 72
overlay = Image.new("RGBA", image.size, (0, 0, 0, 0))
draw = ImageDraw.Draw(overlay)
found = 0
for m in re.finditer(r'xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<', open(boxes).read()):
    if word.lower() in m.group(5).lower():
        x0, y0, x1, y1 = (float(v) * scale for v in m.groups()[:4])
        draw.rectangle([x0, y0, x1, y1], fill=(255, 200, 0, 110), outline=(230, 140, 0, 255))
        found += 1
shown = Image.alpha_composite(image.convert("RGBA"), overlay).convert("RGB")
bar = Image.new("RGB", (shown.width, 44), (236, 236, 236))
ImageDraw.Draw(bar).text((14, 14), f'Find: "{word}"  -  {found} matches on page 1', fill=(30, 30, 30))
result = Image.new("RGB", (shown.width, shown.height + 44))
result.paste(bar, (0, 0))
result.paste(shown, (0, 44))
result.save(out)
print(f"{found} matches")
PY
