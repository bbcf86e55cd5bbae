#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine, in the private Wine
# prefix of the tests, finding the Qt and MinGW runtime DLLs without copying
# them. CMake uses it as the emulator of the tests.
#   scripts/wine-run.sh program.exe [arguments...]
set -euo pipefail
cache=${TARVIN_CACHE:-$HOME/.cache/tarvin}
export WINEPREFIX=${WINEPREFIX:-$cache/wine-tests}
export WINEDEBUG=${WINEDEBUG:--all}
winpath() { printf 'Z:%s' "${1//\//\\}"; }
qt=$cache/qt6-mingw
export WINEPATH="$(winpath "$qt/bin");$(winpath /usr/lib/gcc/x86_64-w64-mingw32/12-posix);$(winpath /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH=$(winpath "$qt/plugins")
exec wine "$@"
