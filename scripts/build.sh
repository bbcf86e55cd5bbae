#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR) with two jobs: the whole
# tree, or only the targets named in $TARGETS.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
# shellcheck disable=SC2086
ninja -C "$build_dir" -j2 ${TARGETS:-}
