#!/usr/bin/env bash
# Peak memory of pdf.exe making PDF/A-2b with a bookmark per picture, against the same job
# without them, on the same staged JPEGs.
#   bench/pdftool/archive.sh [path/to/pdf.exe] [runs]
# Reuses run.sh's staging and measuring (ImageMagick, img2pdf and GNU time as there); the count
# is ARCHIVE_COUNT (default 2000). Prints both runs and the ratio of their peaks.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=run.sh
source "$here/run.sh"

count=${ARCHIVE_COUNT:-2000}
cache=$(stage "$count" 1000 750 8)
folder=$cache/pagewright/quillon_tmp
cat "$folder"/*.jpg >/dev/null # warm the page cache for both runs

read -r plain_t plain_rss < <(measure "$folder/tmp.pdf" env XDG_CACHE_HOME="$cache" "$tool" /NOASK)
printf 'PDFA=2b\n' >"$folder/options.txt"
for ((i = 0; i < count; i++)); do
    printf '%05d=Holiday %d at the sea, picture %d\n' "$i" "$i" "$i"
done >"$folder/titles.txt"
read -r pdfa_t pdfa_rss < <(measure "$folder/tmp.pdf" env XDG_CACHE_HOME="$cache" "$tool" /NOASK)
grep -aq '<pdfaid:part>2</pdfaid:part>' "$folder/tmp.pdf" || { echo "no PDF/A-2b made" >&2; exit 1; }
entries=$(qpdf --json --json-key=outlines "$folder/tmp.pdf" | grep -c '"title"')
[[ $entries -eq $count ]] || { echo "$entries bookmarks, not $count" >&2; exit 1; }

echo "pdf.exe: $tool"
printf '%d JPEGs of 1000x750\n' "$count"
printf '  %-26s %8s s %10s KiB max RSS\n' "plain" "$plain_t" "$plain_rss" \
    "PDF/A-2b and bookmarks" "$pdfa_t" "$pdfa_rss"
awk -v a="$pdfa_rss" -v p="$plain_rss" -v at="$pdfa_t" -v pt="$plain_t" 'BEGIN {
    printf "  memory (PDF/A-2b + bookmarks) / plain = %.3f   time = %.2f\n", a / p, at / pt }'
