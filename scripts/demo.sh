#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated interface on a
# loopback port and the workbench connected to it, with settings kept in a
# temporary folder (your own settings are not touched).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir=${BUILD_DIR:-build}

work=$(mktemp -d)
sim_out="$work/sim.out"
"$build_dir/tools/tarvin-sim/tarvin-sim" --tcp 0 --wire-log "$work/wire.log" \
  --no-control --inject-file tools/tarvin-sim/demo-traffic.txt --inject-interval 1500 --inject-repeat 0 \
  >"$sim_out" 2>"$work/sim.err" </dev/null &
sim_pid=$!
cleanup() { kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

port=""
for _ in $(seq 1 100); do
  port=$(awk '$1 == "TCP" { print $3 }' "$sim_out" 2>/dev/null || true)
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "demo: the simulator did not start:" >&2
  cat "$work/sim.err" >&2
  exit 1
fi

mkdir -p "$work/config/Ostrel"
cat >"$work/config/Ostrel/Tarvin Diagnostic.conf" <<CONF
[Options]
ConnectionType=1
IPAddress=127.0.0.1
Port=$port
ShowTime=1
CONF
echo "demo: simulator on 127.0.0.1:$port; wire log $work/wire.log"
XDG_CONFIG_HOME="$work/config" TARVIN_AUTOCONNECT=1 \
  "$build_dir/app/tarvin-diagnostic" "$@"
