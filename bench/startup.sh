#!/usr/bin/env bash
# Start-up time of the workbench to its first shown window, and its memory
# at rest, under Xvfb with an empty settings store. Median of 5 starts.
# usage: bench/startup.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
display=:$((60 + RANDOM % 30))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
sleep 1
times=()
rss=0
for run in 1 2 3 4 5; do
  fifo="$work/err$run"
  mkfifo "$fifo"
  start=$(date +%s%N)
  DISPLAY=$display XDG_CONFIG_HOME="$work/config" TARVIN_REPORT_SHOWN=1 \
    "$build/app/tarvin-diagnostic" 2>"$fifo" &
  app=$!
  while IFS= read -r line; do
    if [ "$line" = shown ]; then break; fi
  done <"$fifo"
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
  if [ $run -eq 5 ]; then
    sleep 3
    rss=$(awk '/VmRSS/ { print $2 }' "/proc/$app/status")
  fi
  kill $app; wait $app 2>/dev/null || true
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
echo "start-up to first shown window: median ${median} ms of 5 (${times[*]}), target 1000 ms, ratio $(awk -v m="$median" 'BEGIN { printf "%.1f", 1000 / m }')"
echo "memory at rest: $((rss / 1024)) MiB resident, target 100 MiB"
