#!/usr/bin/env bash
# usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install_tree: $*" >&2; exit 1; }
for f in bin/tarvin-diagnostic bin/tarvin-decode bin/tarvin-sim bin/tarvin-monitor \
         share/applications/tarvin-diagnostic.desktop \
         share/icons/hicolor/scalable/apps/tarvin-diagnostic.svg \
         share/man/man1/tarvin-decode.1 share/man/man1/tarvin-sim.1 \
         share/man/man1/tarvin-monitor.1 share/doc/tarvin-diagnostic/help/index.html; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done

desktop="$prefix/share/applications/tarvin-diagnostic.desktop"
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
fi
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ "$exec_line" = tarvin-diagnostic ] || fail "unexpected Exec line: $exec_line"
grep -q '^Icon=tarvin-diagnostic$' "$desktop" || fail "the icon is not named"

# The manual pages are well-formed.
for page in "$prefix"/share/man/man1/*.1; do
  if command -v groff >/dev/null 2>&1; then
    groff -man -Tutf8 -ww -z "$page" 2>&1 | grep . && fail "$page has warnings"
  fi
done

# The desktop entry's command starts the installed workbench.
config=$(mktemp -d)
out=$(PATH="$prefix/bin:$PATH" XDG_CONFIG_HOME="$config" TARVIN_REPORT_SHOWN=1 \
      QT_QPA_PLATFORM=offscreen timeout 20 "$exec_line" 2>&1 & pid=$!
      sleep 5; kill $pid 2>/dev/null; wait $pid 2>/dev/null) || true
rm -rf "$config"
echo "$out" | grep -qx shown || fail "the installed workbench did not show its window: $out"
echo "install_tree: ok"
