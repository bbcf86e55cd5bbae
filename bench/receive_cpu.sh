#!/usr/bin/env bash
# CPU cost of the live log: the workbench and CuteCom (a Qt serial terminal,
# the reference) each shown the same generated monitor traffic from
# tarvin-sim at 40, 500 and 2,000 lines a second: the workbench over TCP,
# CuteCom through a pseudo-terminal (socat).
# Each program has an Xvfb of its own, so that the X server's share is its
# own too. The share of one core is read from /proc/PID/stat (utime + stime)
# over DURATION seconds; ours and CuteCom's alternate within each run. The
# workbench is measured a second time recording a capture (--record), to
# show what the recording adds.
# usage: bench/receive_cpu.sh [BUILD_DIR] [DURATION] [RUNS] [RATES...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
duration=${2:-30}
runs=${3:-1}
shift $(($# < 3 ? $# : 3))
rates=("$@")
[ ${#rates[@]} -gt 0 ] || rates=(40 500 2000)
app="$build/app/tarvin-diagnostic"
sim="$build/tools/tarvin-sim/tarvin-sim"
reference=${REFERENCE-$(command -v cutecom || true)}
ticks=$(getconf CLK_TCK)
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The displays may be chosen (OURS_DISPLAY, THEIRS_DISPLAY) where others
# run X servers of their own.
ours_display=${OURS_DISPLAY:-:$((60 + RANDOM % 15))}
theirs_display=${THEIRS_DISPLAY:-:$((75 + RANDOM % 15))}
Xvfb "$ours_display" -screen 0 1024x768x24 >/dev/null 2>&1 &
ours_x=$!
Xvfb "$theirs_display" -screen 0 1024x768x24 >/dev/null 2>&1 &
theirs_x=$!
pids+=("$ours_x" "$theirs_x")
sleep 1
for x in "$ours_x" "$theirs_x"; do
  kill -0 "$x" 2>/dev/null || { echo "receive_cpu: an Xvfb did not start (display taken?)" >&2; exit 1; }
done

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# A simulator on a loopback port sending RATE lines a second to whoever
# connects; sets $sim_pid and $port.
start_sim() {
  "$sim" --tcp 0 --traffic "$1" --no-control </dev/null >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  port=""
  for _ in $(seq 1 50); do
    port=$(awk '$1 == "TCP" { print $3 }' "$work/sim.out" 2>/dev/null || true)
    [ -n "$port" ] && break
    sleep 0.1
  done
}

stop() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# Lets the traffic settle, then prints the program's and its X server's
# share of a core over the measured span.
measure() {
  local program=$1 xserver=$2
  sleep 2
  local p0 x0 p1 x1
  p0=$(cpu_ticks "$program")
  x0=$(cpu_ticks "$xserver")
  sleep "$duration"
  p1=$(cpu_ticks "$program")
  x1=$(cpu_ticks "$xserver")
  awk -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v t="$ticks" -v d="$duration" \
    'BEGIN { printf "%.1f %.1f\n", 100 * p / t / d, 100 * x / t / d }'
}

# The workbench connected to the simulator over TCP, as a Socketbox; with
# a second argument, recording a capture to that file from the start.
run_ours() {
  local record=()
  [ -n "${2:-}" ] && record=(--record "$2")
  start_sim "$1"
  mkdir -p "$work/ours/Ostrel"
  cat >"$work/ours/Ostrel/Tarvin Diagnostic.conf" <<CONF
[Options]
ConnectionType=1
IPAddress=127.0.0.1
Port=$port
CONF
  DISPLAY=$ours_display XDG_CONFIG_HOME="$work/ours" TARVIN_AUTOCONNECT=1 \
    TARVIN_DATA_DIR="$work" "$app" "${record[@]}" >/dev/null 2>&1 &
  program=$!
  # This runs in a subshell of its own: what it started goes with it.
  trap 'kill $program $sim_pid 2>/dev/null || true' EXIT
  sleep 4
  measure "$program" "$ours_x"
  stop "$program"
  stop "$sim_pid"
}

# CuteCom reads a serial port: socat carries the same stream from the
# simulator to a pseudo-terminal it opens.
run_theirs() {
  start_sim "$1"
  socat pty,link="$work/tty",raw,echo=0 tcp:127.0.0.1:"$port" &
  relay=$!
  sleep 0.5
  mkdir -p "$work/theirs/CuteCom"
  cat >"$work/theirs/CuteCom/CuteCom5.conf" <<CONF
[sessions]
1\\BaudRate=9600
1\\DataBits=8
1\\Device=$work/tty
1\\FlowControl=0
1\\OpenMode=3
1\\Parity=0
1\\StopBits=1
1\\name=Default
size=1
CONF
  DISPLAY=$theirs_display XDG_CONFIG_HOME="$work/theirs" "$reference" >/dev/null 2>&1 &
  program=$!
  trap 'kill $program $relay $sim_pid 2>/dev/null || true' EXIT
  sleep 3
  # Its "Open" button, top left of its window (no window manager here).
  local window
  window=$(DISPLAY=$theirs_display xdotool search --pid "$program" | head -1)
  DISPLAY=$theirs_display xdotool mousemove --window "$window" 50 43 click 1
  measure "$program" "$theirs_x"
  stop "$program"
  stop "$relay"
  stop "$sim_pid"
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
target() {
  case $1 in 40) echo 1 ;; 500) echo 5 ;; 2000) echo 20 ;; *) echo "" ;; esac
}

echo "load at start: $(uptime | sed 's/.*load average: //')"
for rate in "${rates[@]}"; do
  ours=() ours_x_share=() recording=() theirs=() theirs_x_share=()
  for run in $(seq 1 "$runs"); do
    for who in $([ $((run % 2)) -eq 1 ] && echo "ours recording theirs" || echo "theirs recording ours"); do
      if [ "$who" = ours ]; then
        read -r a b < <(run_ours "$rate")
        ours+=("$a")
        ours_x_share+=("$b")
      elif [ "$who" = recording ]; then
        rm -f "$work/recording.csv"
        read -r a b < <(run_ours "$rate" "$work/recording.csv")
        recording+=("$a")
      elif [ -n "$reference" ]; then
        read -r a b < <(run_theirs "$rate")
        theirs+=("$a")
        theirs_x_share+=("$b")
      fi
    done
  done
  m=$(median "${ours[@]}")
  line="$rate lines/s: workbench $m % (${ours[*]}), its X server $(median "${ours_x_share[@]}") %"
  r=$(median "${recording[@]}")
  line+="; recording $r % (${recording[*]}), adds $(awk -v r="$r" -v m="$m" 'BEGIN { printf "%.1f", r - m }') % (target under 5 %)"
  if [ ${#theirs[@]} -gt 0 ]; then
    line+="; CuteCom $(median "${theirs[@]}") % (${theirs[*]}), its X server $(median "${theirs_x_share[@]}") %"
  fi
  t=$(target "$rate")
  [ -n "$t" ] && line+="; target $t %, ratio $(awk -v m="$m" -v t="$t" 'BEGIN { printf "%.2f", m / t }')"
  echo "$line"
done
echo "load at end: $(uptime | sed 's/.*load average: //')"
