#!/usr/bin/env bash
# Configures and builds Pagewright into build/ (installing missing packages first).
# Arguments name the targets to build; without any, everything (tests included) is built.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build --preset default -j "$(nproc)" "${targets[@]}"
