#!/usr/bin/env bash
# Peak memory of pdf.exe on pages that carry large ICC profiles.
#   bench/pdftool/profiles.sh [path/to/pdf.exe [path/to/other/pdf.exe]] [pages]
# Stages `pages` (default 600) small JPEGs three ways - without a profile, all with the same
# 1 MB profile, each with its own 1 MB profile - runs each builder given once per way and
# prints its peak memory (max RSS from GNU time) and the ratio to the run without profiles.
# Needs ImageMagick (convert), python3 and /usr/bin/time.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tools=()
pages=600
for arg in "$@"; do
    if [[ $arg =~ ^[0-9]+$ ]]; then pages=$arg; else tools+=("$arg"); fi
done
if [[ ${#tools[@]} -eq 0 ]]; then
    tools=("$(ls -t "$root"/build*/app/data/pdf.exe 2>/dev/null | head -1 || true)")
fi
for tool in "${tools[@]}"; do
    [[ -x $tool ]] || { echo "pdf.exe not found: $tool" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -seed 1 -size 320x240 plasma:fractal -quality 85 "$work/base.jpg"

# stage <way> none|same|own: the staging folder of that way, filled.
stage() {
    local folder=$work/$1/pagewright/quillon_tmp
    mkdir -p "$folder"
    python3 - "$work/base.jpg" "$folder" "$pages" "$1" <<'PY'
import os, struct, sys
base, folder, pages, way = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
jpeg = open(base, 'rb').read()
def profile(seed):
    size = 1 << 20
    body = bytearray(os.urandom(size)) if seed else bytearray(size)
    body[0:4] = struct.pack('>I', size)
    body[12:24] = b'mntrRGB XYZ '
    body[36:40] = b'acsp'
    return bytes(body)
def with_profile(icc):
    step = 65519
    parts = [icc[i:i + step] for i in range(0, len(icc), step)]
    chunks = b''.join(b'\xFF\xE2' + struct.pack('>H', len(p) + 16) + b'ICC_PROFILE\0' +
                      bytes([n + 1, len(parts)]) + p for n, p in enumerate(parts))
    return jpeg[:2] + chunks + jpeg[2:]
shared = with_profile(profile(False)) if way == 'same' else jpeg
for i in range(pages):
    data = with_profile(profile(True)) if way == 'own' else shared
    open(os.path.join(folder, '%05d.jpg' % i), 'wb').write(data)
PY
    echo "$work/$1"
}

printf '| builder | pages | no profile | same 1 MB profile | own 1 MB profile each |\n|---|---|---|---|---|\n'
declare -A caches
for way in none same own; do caches[$way]=$(stage $way); done
for tool in "${tools[@]}"; do
    declare -A kib=()
    for way in none same own; do
        rm -f "${caches[$way]}"/pagewright/quillon_tmp/tmp*.pdf
        env XDG_CACHE_HOME="${caches[$way]}" /usr/bin/time -o "$work/rss" -f %M "$tool" /NOASK \
            >/dev/null || { echo "$tool failed on '$way'" >&2; exit 1; }
        kib[$way]=$(tail -1 "$work/rss")
    done
    ratio() { awk -v a="$1" -v b="${kib[none]}" 'BEGIN { printf "%.2f", a / b }'; }
    printf '| %s | %d | %d MB | %d MB (%sx) | %d MB (%sx) |\n' "$tool" "$pages" \
        $((kib[none] / 1024)) $((kib[same] / 1024)) "$(ratio "${kib[same]}")" \
        $((kib[own] / 1024)) "$(ratio "${kib[own]}")"
done
