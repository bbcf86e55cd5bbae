#!/usr/bin/env bash
# Measures the workbench's CPU use while connected to the simulator and idle:
# starts tarvin-sim on loopback, the workbench under Xvfb connected to it,
# waits for the connect to settle, then samples the process's CPU time.
# usage: bench/idle_cpu.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-10}
work=$(mktemp -d)
display=:$((60 + RANDOM % 30))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
"$build/tools/tarvin-sim/tarvin-sim" --tcp 0 --no-control >"$work/sim.out" 2>&1 &
sim=$!
app=""
cleanup() { kill $app $sim $xvfb 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
for _ in $(seq 50); do grep -q READY "$work/sim.out" && break; sleep 0.1; done
port=$(awk '$1 == "TCP" { print $3 }' "$work/sim.out")
mkdir -p "$work/config/Ostrel"
printf '[Options]\nConnectionType=1\nIPAddress=127.0.0.1\nPort=%s\n' "$port" \
  >"$work/config/Ostrel/Tarvin Diagnostic.conf"
DISPLAY=$display XDG_CONFIG_HOME="$work/config" TARVIN_AUTOCONNECT=1 \
  "$build/app/tarvin-diagnostic" >/dev/null 2>&1 &
app=$!
sleep 8 # connect handshake and interface identification
ticks() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks)
sleep "$seconds"
t1=$(ticks)
awk -v d=$((t1 - t0)) -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "idle while connected: %.2f %% CPU over %d s\n", 100 * d / hz / s, s }'
