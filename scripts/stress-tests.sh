#!/usr/bin/env bash
# Builds, then runs the whole test suite ROUNDS times in a row (default 5)
# while two busy loops keep both cores loaded, as a shared CI machine may.
# The loops are bounded in time and stopped on exit. Prints a line a round
# and "stress: N of M rounds passed"; exits non-zero when any round failed.
#   ROUNDS=N          rounds to run
#   BUILD_DIR=DIR     build folder (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${ROUNDS:-5}
build=${BUILD_DIR:-build}
scripts/install-deps.sh
BUILD_DIR=$build scripts/build.sh -DTARVIN_WERROR=ON

loaders=()
stop_loaders() {
  for pid in "${loaders[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap stop_loaders EXIT
trap 'exit 130' INT TERM
for _ in 1 2; do
  timeout "${STRESS_LOAD_SECONDS:-7200}" sh -c 'while :; do :; done' &
  loaders+=($!)
done

passed=0
for round in $(seq 1 "$rounds"); do
  log="$build/stress-round-$round.log"
  start=$(date +%s)
  if ctest --test-dir "$build" --output-on-failure -j2 --timeout 600 >"$log" 2>&1; then
    passed=$((passed + 1))
    echo "round $round: passed in $(($(date +%s) - start)) s"
  else
    echo "round $round: FAILED in $(($(date +%s) - start)) s ($log)"
    sed -n '/The following tests FAILED/,$p' "$log"
  fi
done
echo "stress: $passed of $rounds rounds passed"
[ "$passed" -eq "$rounds" ]
