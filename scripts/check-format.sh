#!/usr/bin/env bash
# Fails, naming each file, when a tracked C++ source differs from what
# clang-format makes of it with the repository's .clang-format.
#   scripts/check-format.sh --fix   reformats them instead
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed" >&2; exit 1; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format "$f" | cmp -s - "$f" || bad+=("$f")
done
if [ ${#bad[@]} -ne 0 ]; then
  echo "check-format: ${#bad[@]} file(s) are not formatted (scripts/check-format.sh --fix):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
