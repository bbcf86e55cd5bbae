#!/bin/sh
# tarvin-bridge between tarvin-sim and a mosquitto broker on loopback:
# lines per second from the bus to a subscriber (target 20,000) and the
# time from a set command to its confirmed state (p50, p99).
# Usage: bench/bridge.sh [BUILD_DIR] [LINES] [SETS] [GAP_MS] [QUEUE]
# (defaults: build, 200000 lines, 500 sets 250 ms apart, the bridge's own
# --queue); needs mosquitto on the path.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
bench="$build/bench/bench_bridge"
[ -x "$bench" ] || { echo "no bench_bridge in $build/bench (ninja -C $build bench_bridge)" >&2; exit 2; }
export TARVIN_SIM="$build/tools/tarvin-sim/tarvin-sim"
export TARVIN_BRIDGE="$build/tools/tarvin-bridge/tarvin-bridge"
set -- --lines "${2:-200000}" --sets "${3:-500}" --gap "${4:-250}" ${5:+--queue "$5"}
exec "$bench" "$@"
