#!/usr/bin/env bash
# Builds Pagewright and runs every test. Tests run one at a time: several of them start and
# end processes named pdf.exe, which the program watches for machine-wide.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
ctest --preset default "$@"
