#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/, writes their seed corpus and runs
# each for SECONDS (default 60). A finding stops the script with its input saved as
# build-fuzz/crash-<target>-*; reproduce it with `build-fuzz/fuzz_<target> FILE`.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
./scripts/install-deps.sh
CXX=clang++ cmake -S fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)"
corpus=build-fuzz/corpus
build-fuzz/make_seeds "$corpus"
for target in jpeg_structure exif icc docinfo png_rows png_pages heif_canvas heif_meta bmp_reader \
  g4_tiff g4_stream page_words jbig2 jbig2_page pdf_open; do
  echo "== fuzz_$target for ${seconds}s"
  build-fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/crash-$target-" "$corpus/$target"
done
