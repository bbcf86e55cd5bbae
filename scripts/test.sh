#!/usr/bin/env bash
# Installs what is missing, checks the source format, builds with warnings as
# errors, runs every test
# (core, GUI offscreen, end to end against the simulator, tool goldens), then
# the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and every fuzz target for a short time on its corpus.
#   TARVIN_SANITIZERS=0  skip the sanitizer pass
#   FUZZ_SECONDS=N       time per fuzz target (default 30; 0 skips fuzzing)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

echo "== source format"
scripts/check-format.sh

echo "== build and test"
BUILD_DIR=${BUILD_DIR:-build} scripts/build.sh -DTARVIN_WERROR=ON
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j2 --timeout 300
count() { ctest --test-dir "$1" -N | awk '/Total Tests:/ { print $3 }'; }
passed=$(count "${BUILD_DIR:-build}")

if [ "${TARVIN_SANITIZERS:-1}" != 0 ]; then
  echo "== build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
  BUILD_DIR=build-asan BUILD_TYPE=Debug scripts/build.sh -DTARVIN_WERROR=ON \
    -DTARVIN_SANITIZE=ON -DTARVIN_BENCH=OFF
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export LSAN_OPTIONS=suppressions=$PWD/.ci/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  ctest --test-dir build-asan --output-on-failure -j2 --timeout 600
  passed=$((passed + $(count build-asan)))
fi

if [ "${FUZZ_SECONDS:-30}" != 0 ]; then
  echo "== fuzz"
  fuzz/run.sh "${FUZZ_SECONDS:-30}"
fi
# Reached only when every stage passed (set -e).
echo "== all tests passed"
echo "tests: $passed passed, 0 failed"
