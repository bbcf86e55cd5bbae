#!/usr/bin/env bash
# usage: check_package.sh BUILD_DIR WITH_BRIDGE
# Builds the Debian package with cpack in a temporary folder, runs lintian on
# it and checks what it holds. WITH_BRIDGE is 1 when tarvin-bridge is built.
# Exits 77 (skipped) when lintian or dpkg-deb is missing.
set -euo pipefail
build=$1 with_bridge=$2
for tool in lintian dpkg-deb; do
  command -v "$tool" >/dev/null 2>&1 || { echo "package_deb: no $tool, skipped"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "package_deb: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; fail "cpack failed"; }
debs=("$out"/*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb: ${debs[*]}"
deb=${debs[0]}

if ! report=$(lintian --fail-on error,warning "$deb" 2>&1); then
  echo "$report"
  fail "lintian found errors or warnings"
fi

# Reads one file out of the package.
extract() { dpkg-deb --fsys-tarfile "$deb" | tar -xO "./$1"; }
contents=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./||')

programs=(tarvin-diagnostic tarvin-decode tarvin-sim tarvin-monitor)
if [ "$with_bridge" = 1 ]; then programs+=(tarvin-bridge); fi
expected=(usr/share/doc/tarvin-diagnostic/copyright usr/share/doc/tarvin-diagnostic/changelog.gz
          usr/share/applications/tarvin-diagnostic.desktop
          usr/lib/systemd/system/tarvin-bridge.service etc/tarvin/tarvin-bridge.conf)
for p in "${programs[@]}"; do expected+=("usr/bin/$p" "usr/share/man/man1/$p.1.gz"); done
for f in "${expected[@]}"; do
  grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done

# The sample config is a conffile, and the only one.
conffiles=$(dpkg-deb --info "$deb" conffiles)
[ "$conffiles" = /etc/tarvin/tarvin-bridge.conf ] || fail "unexpected conffiles: $conffiles"

# The changelog's newest entry is this version.
version=$(dpkg-deb --field "$deb" Version)
logged=$(extract usr/share/doc/tarvin-diagnostic/changelog.gz | gzip -dc |
         sed -n '1s/^tarvin-diagnostic (\([^)]*\)) .*/\1/p')
[ "$logged" = "$version" ] || fail "changelog version '$logged', package version '$version'"

exec_start=$(extract usr/lib/systemd/system/tarvin-bridge.service | sed -n 's/^ExecStart=//p')
[ "$exec_start" = "/usr/bin/tarvin-bridge --config /etc/tarvin/tarvin-bridge.conf" ] ||
  fail "unexpected ExecStart: $exec_start"
echo "package_deb: ok ($(basename "$deb"))"
