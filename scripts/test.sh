#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every
# test (unit, GUI offscreen, end-to-end against the simulator, tool goldens).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build} scripts/build.sh -DTARVIN_WERROR=ON
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j2 --timeout 300
if [ -x fuzz/run.sh ]; then
  fuzz/run.sh "${FUZZ_SECONDS:-20}"
fi
