#!/bin/sh
# Times tarvin-decode --statistics over 1,000,000-line captures, in the CSV
# and the text form, against the 1 s target.
# Usage: bench/capture_statistics.sh [path/to/tarvin-decode]
# (default: build/tools/tarvin-decode/tarvin-decode).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-"$root/build/tools/tarvin-decode/tarvin-decode"}
lines=1000000
target=1.0
[ -x "$tool" ] || { echo "no tarvin-decode at $tool" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# A night at 100 lines/s: the traffic analyser's kind of lines, a sent line
# and a marker now and then, as tarvin-monitor writes them.
generate() {
    awk -v n="$lines" -v form="$1" 'BEGIN {
        split("0512380079050035 0520FF9001020300 8630008901ABCD9A 0530880012340034 " \
              "050A3800790535 0505CA0001020335 861200A1009A 0512390035", mix, " ");
        m = length(mix);
        t0 = 1796792400;
        if (form == "csv") print "time,direction,raw,description";
        header = "Tarvin capture 1; program=bench; mode=all-monitor";
        if (form == "csv") print "2026-12-09 05:00:00.000,#,," header;
        else print "2026-12-09 05:00:00.000  # " header;
        for (i = 0; i < n; i++) {
            t = t0 + i / 100;
            s = sprintf("%s.%03d", strftime("%Y-%m-%d %H:%M:%S", int(t), 1), (t - int(t)) * 1000);
            if (i % 1000 == 999) {
                if (form == "csv") print s ",Tx,\\0538007905g,GA 5 On";
                else print s "  Tx : GA 5 On  [\\0538007905g]";
            } else if (form == "csv") {
                print s ",Rx," mix[i % m + 1] "<CR>,"
            } else {
                print s "  Rx : Lighting  [" mix[i % m + 1] "<CR>]"
            }
        }
    }' > "$work/capture.$1"
}

run() {
    form=$1
    start=$(date +%s.%N)
    "$tool" --statistics --json "$work/capture.$form" > "$work/out.json"
    end=$(date +%s.%N)
    grep -q '"messages": 999000' "$work/out.json" || { echo "$form: unexpected totals: $(cat "$work/out.json")" >&2; exit 1; }
    awk -v s="$start" -v e="$end" -v t="$target" -v l="$form" -v n="$lines" 'BEGIN {
        d = e - s;
        printf "--statistics, %-4s %8.3f s  %10.0f lines/s  target %.1f s  ratio %.2fx\n", l, d, n / d, t, t / d
    }'
}

for form in csv text; do
    generate $form
    echo "capture ($form): $(wc -l < "$work/capture.$form") lines, $(wc -c < "$work/capture.$form") bytes"
    run $form
done
