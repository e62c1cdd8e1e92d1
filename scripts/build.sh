#!/usr/bin/env bash
# Configures and builds Pagewright into build/ (installing missing packages first).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
