#!/usr/bin/env bash
# Builds everything with the address and undefined-behaviour sanitizers (the `debug` preset,
# build-debug/) and runs the test suite there: a memory error, a leak or undefined behaviour
# fails the test that meets it. Leaks inside system libraries are suppressed in
# tests/sanitizers/lsan.supp.
# Left out: the Xvfb smoke tests (smoke_*). Their shell cannot collect the exit status of the
# sanitizer build once it closes (bash's wait reports -1), so they would fail on the harness,
# not on the program; the same windows, buttons and quit paths run under the sanitizers in
# form_test, and the smoke tests run in the default build.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset debug >/dev/null
cmake --build --preset debug -j "$(nproc)"
ctest --preset debug -E '^smoke_' "$@"
