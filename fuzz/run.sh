#!/bin/sh
# Builds every fuzz_* target in build-fuzz and runs each for SECONDS on its
# corpus (fuzz/corpus/<name> seeds, build-fuzz/corpus-<name> for what the
# fuzzer finds). Fails on the first finding; the input is kept in
# build-fuzz/artifacts.
set -eu
if [ $# -ne 1 ]; then
    echo "usage: $0 SECONDS" >&2
    exit 2
fi
seconds=$1
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIN_FUZZ=ON -DTARVIN_TESTS=OFF \
        -DTARVIN_BENCH=OFF >/dev/null
fi

targets=""
for src in "$root"/fuzz/fuzz_*.cpp; do
    targets="$targets $(basename "$src" .cpp)"
done
# shellcheck disable=SC2086
ninja -C "$build" -j2 $targets

mkdir -p "$build/artifacts"
status=0
for target in $targets; do
    name=${target#fuzz_}
    work="$build/corpus-$name"
    mkdir -p "$work"
    seeds=""
    [ -d "$root/fuzz/corpus/$name" ] && seeds="$root/fuzz/corpus/$name"
    echo "== $target for ${seconds}s"
    # shellcheck disable=SC2086
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$work" $seeds; then
        echo "$target: FINDING (see $build/artifacts)" >&2
        status=1
    fi
done
exit $status
