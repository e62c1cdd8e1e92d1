#!/usr/bin/env bash
# Builds everything with the address and undefined-behaviour sanitizers (the `debug` preset,
# build-debug/) and runs the test suite there: a memory error, a leak or undefined behaviour
# fails the test that meets it. Leaks inside system libraries are suppressed in
# tests/sanitizers/lsan.supp. Then the job tests run under ThreadSanitizer (below).
# Left out: the Xvfb smoke tests (smoke_*). Their shell cannot collect the exit status of the
# sanitizer build once it closes (bash's wait reports -1), so they would fail on the harness,
# not on the program; the same windows, buttons and quit paths run under the sanitizers in
# gui_tests, and the smoke tests run in the default build.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset debug >/dev/null
cmake --build --preset debug -j "$(nproc)"
ctest --preset debug -E '^smoke_' "$@"

# Then the tests that run jobs, and the application core's, under ThreadSanitizer (build-tsan/): pictures
# are staged on worker threads and jobs run on their own, and a data race fails the run.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPW_WARNINGS_AS_ERRORS=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build build-tsan -j "$(nproc)" --target pictures_tests staging_tests job_tests app_tests pdftool
tsan="halt_on_error=1 exitcode=66 suppressions=$PWD/tests/sanitizers/tsan.supp"
for folder in pictures staging job; do
  TSAN_OPTIONS="$tsan" "build-tsan/tests/$folder/${folder}_tests"
done
# The job on a thread of its own, its events handed to the test's event loop.
TSAN_OPTIONS="$tsan" build-tsan/tests/app/app_tests
