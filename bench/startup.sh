#!/usr/bin/env bash
# Start-up time of the workbench beside CuteCom (a Qt serial terminal, the
# reference): from exec to the first window mapped on the X server, both
# seen the same way (MapNotify on the root window), under one Xvfb, runs
# interleaved so that both share the machine's load. Also the CPU each used
# to get there and the workbench's memory at rest. Medians of RUNS starts.
# usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-9}
app="$build/app/tarvin-diagnostic"
work=$(mktemp -d)
display=${BENCH_DISPLAY:-:$((60 + RANDOM % 30))}
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
sleep 1
kill -0 $xvfb 2>/dev/null || { echo "startup: Xvfb did not start on $display (taken?)" >&2; exit 1; }
export DISPLAY=$display XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$work/config/Ostrel" "$work/runtime"
chmod 700 "$work/runtime"
# Nothing connects at start; should anything, it finds only loopback.
cat >"$work/config/Ostrel/Tarvin Diagnostic.conf" <<CONF
[Options]
ConnectionType=1
IPAddress=127.0.0.1
Port=9
CONF
reference=$(command -v cutecom || true)
ticks=$(getconf CLK_TCK)

# Runs the command until its first window is mapped; prints the wall time
# and the CPU time it took (ms). Leaves its PID in $started.
first_map() {
  coproc XEV { stdbuf -oL xev -root -event substructure 2>/dev/null; }
  sleep 0.3
  local start end line
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 &
  started=$!
  while IFS= read -r line <&"${XEV[0]}"; do
    case $line in MapNotify*) break ;; esac
  done
  end=$(date +%s%N)
  local cpu
  cpu=$(awk -v t="$ticks" '{ print ($14 + $15) * 1000 / t }' "/proc/$started/stat")
  kill "$XEV_PID" 2>/dev/null || true
  wait "$XEV_PID" 2>/dev/null || true
  echo "$(((end - start) / 1000000)) $cpu"
}

stop() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

ours=() ours_cpu=() theirs=() theirs_cpu=()
rss=0
for run in $(seq 1 "$runs"); do
  # Alternate who goes first, so neither always meets a warmer cache.
  for who in $([ $((run % 2)) -eq 1 ] && echo "ours theirs" || echo "theirs ours"); do
    if [ "$who" = ours ]; then
      first_map "$app" >"$work/times"
      read -r ms cpu <"$work/times"
      ours+=("$ms")
      ours_cpu+=("$cpu")
      if [ "$run" -eq "$runs" ]; then
        sleep 3
        rss=$(awk '/VmRSS/ { print $2 }' "/proc/$started/status")
      fi
    elif [ -n "$reference" ]; then
      first_map "$reference" >"$work/times"
      read -r ms cpu <"$work/times"
      theirs+=("$ms")
      theirs_cpu+=("$cpu")
    else
      continue
    fi
    stop "$started"
  done
done

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
m=$(median "${ours[@]}")
echo "load: $(uptime | sed 's/.*load average: //')"
echo "workbench: first window after median ${m} ms of ${runs} (${ours[*]}), CPU median $(median "${ours_cpu[@]}") ms"
if [ -n "$reference" ]; then
  r=$(median "${theirs[@]}")
  echo "CuteCom:   first window after median ${r} ms of ${runs} (${theirs[*]}), CPU median $(median "${theirs_cpu[@]}") ms"
  echo "workbench / CuteCom: $(awk -v a="$m" -v b="$r" 'BEGIN { printf "%.2f", a / b }'), target at most 0.67"
else
  echo "CuteCom not installed (apt-get install cutecom): no reference"
fi
echo "memory at rest: $((rss / 1024)) MiB resident, target 100 MiB"
