#!/usr/bin/env bash
# usage: check_install.sh BUILD_DIR WITH_BRIDGE
# WITH_BRIDGE is 1 when tarvin-bridge is built.
set -euo pipefail
build=$1 with_bridge=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install_tree: $*" >&2; exit 1; }
programs=(tarvin-diagnostic tarvin-decode tarvin-sim tarvin-monitor)
if [ "$with_bridge" = 1 ]; then programs+=(tarvin-bridge); fi
expected=(share/applications/tarvin-diagnostic.desktop
          share/icons/hicolor/scalable/apps/tarvin-diagnostic.svg
          share/doc/tarvin-diagnostic/help/index.html
          share/doc/tarvin-diagnostic/copyright share/doc/tarvin-diagnostic/changelog.gz
          lib/systemd/system/tarvin-bridge.service etc/tarvin/tarvin-bridge.conf)
for p in "${programs[@]}"; do expected+=("bin/$p" "share/man/man1/$p.1.gz"); done
for f in "${expected[@]}"; do
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
for page in "$prefix"/share/man/man1/*.1.gz; do
  if command -v groff >/dev/null 2>&1; then
    gzip -dc "$page" | groff -man -Tutf8 -ww -z 2>&1 | grep . && fail "$page has warnings"
  fi
done

# The sample config: "key = value" lines, and no address but loopback.
config_file="$prefix/etc/tarvin/tarvin-bridge.conf"
bad=$(grep -Ev '^(#.*|[a-z-]+ = [^ ].*|)$' "$config_file") && fail "malformed config lines: $bad"
grep -Eo '[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+' "$config_file" | grep -v '^127\.' &&
  fail "the sample config names an address other than loopback"

# The desktop entry's command starts the installed workbench.
config=$(mktemp -d)
out=$(PATH="$prefix/bin:$PATH" XDG_CONFIG_HOME="$config" TARVIN_REPORT_SHOWN=1 \
      QT_QPA_PLATFORM=offscreen timeout 20 "$exec_line" 2>&1 & pid=$!
      sleep 5; kill $pid 2>/dev/null; wait $pid 2>/dev/null) || true
rm -rf "$config"
echo "$out" | grep -qx shown || fail "the installed workbench did not show its window: $out"
echo "install_tree: ok"
