#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need,
# skipping what is already there. Runs apt-get as root, or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev
  # libgl-dev: Qt6Gui's CMake package looks for the OpenGL headers.
  libgl-dev libbenchmark-dev
  xvfb xauth imagemagick socat xdotool poppler-utils
  clang libclang-rt-14-dev clang-format
  libmosquitto-dev mosquitto mosquitto-clients lintian openssl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: these packages are missing and I am not root (no sudo): ${missing[*]}" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
