#!/bin/sh
# Times tarvin-decode on a 1,000,000-line file of mixed bus lines against
# the 2 s target. Usage: bench/decode_file.sh [path/to/tarvin-decode]
# (default: build-decode-rel/tools/tarvin-decode/tarvin-decode).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-"$root/build-decode-rel/tools/tarvin-decode/tarvin-decode"}
lines=1000000
target=2.0
[ -x "$tool" ] || { echo "no tarvin-decode at $tool" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
input="$work/lines.txt"

# Received traffic as the interface sends it, with CR LF line ends.
awk -v n="$lines" 'BEGIN {
    split("050138000A057F0106790702088044 05113802220A7905010622107F3A11FFA0 " \
          "0501380079057E g. !" \
          " 8605000089010203040506077E 8220057E C438000102030405060708090A0B0C0D0E " \
          "050AFF007307380012 0501D000AD8D0346726F6E7420446F6F72207E " \
          "0501E000A8055535353531323334359C 0501DF000D010D0509017E " \
          "0501E4000E010200FF00D741 0501CA0009050205FF44 junk 0501380", mix, " ");
    m = length(mix);
    for (i = 0; i < n; i++)
        printf "%s\r\n", mix[i % m + 1];
}' > "$input"

run() {
    label=$1
    shift
    start=$(date +%s.%N)
    "$tool" "$@" < "$input" > "$work/out.txt"
    end=$(date +%s.%N)
    out_lines=$(wc -l < "$work/out.txt")
    [ "$out_lines" -eq "$lines" ] || { echo "$label: $out_lines output lines, expected $lines" >&2; exit 1; }
    awk -v s="$start" -v e="$end" -v t="$target" -v l="$label" -v n="$lines" 'BEGIN {
        d = e - s;
        printf "%-28s %8.3f s  %10.0f lines/s  target %.1f s  ratio %.2fx\n", l, d, n / d, t, t / d
    }'
}

echo "tarvin-decode, $lines lines ($(wc -c < "$input") bytes)"
run "--options 8" --options 8
run "--options 15 --hex" --options 15 --hex --interface-options 51
run "--options 15 --escape" --options 15 --escape
