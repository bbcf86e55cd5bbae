#!/usr/bin/env bash
# Builds the workbench for 64-bit Windows on Debian 12 and tests it under Wine.
#
#   scripts/windows.sh [stage...]   stages: deps qt build deploy test installed
#
# With no stage every stage runs in order. Each stage is idempotent; Qt for
# Windows is built once into $TARVIN_CACHE (default ~/.cache/tarvin) and
# reused, and an interrupted Qt build resumes where it stopped.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

cache=${TARVIN_CACHE:-$HOME/.cache/tarvin}
qt_version=6.4.2
qt_src=$cache/src
qt_src_dir=$qt_src/qt6-base-$qt_version
qt_build=$cache/qt6-mingw-build
qt_prefix=$cache/qt6-mingw
build_dir=${WIN_BUILD_DIR:-$root/build-windows}
deploy_dir=$build_dir/deploy
triple=x86_64-w64-mingw32
mingw_runtime=/usr/lib/gcc/$triple/12-posix
jobs=${JOBS:-2}
# Qt and the workbench alike: MinGW-w64, with the host Qt's tools.
cross=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)

mkdir -p "$cache"

stage_started=0
passed=0
failed=0
tested=0
stage() {
    stage_started=$(date +%s)
    echo "windows: == $1 ($(date -u +%H:%M:%S) UTC)"
}
stage_done() {
    echo "windows: == $1 took $(($(date +%s) - stage_started)) s"
}

# Starts a private Xvfb on display WIN_DISPLAY and sets xvfb_pid and
# DISPLAY; stops the script when the display does not come up, rather than
# letting every window of the tests fail.
start_display() {
    local number=${WIN_DISPLAY:-93}
    case $number in
    '' | *[!0-9]*)
        echo "windows: WIN_DISPLAY must be a display number, not '$number'" >&2
        exit 1
        ;;
    esac
    Xvfb ":$number" -screen 0 1280x1024x24 >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$number" ] && break
        sleep 0.1
    done
    # A display already in use has its socket; its second server ends at once.
    sleep 0.5
    if ! kill -0 "$xvfb_pid" 2>/dev/null || [ ! -e "/tmp/.X11-unix/X$number" ]; then
        echo "windows: cannot start the X display :$number (in use? choose another with WIN_DISPLAY)" >&2
        exit 1
    fi
    export DISPLAY=:$number
}

# --- deps: Debian's cross compiler, Wine, NSIS and Qt's source package -------
run_deps() {
    stage deps
    local need=()
    for p in g++-mingw-w64-x86-64-posix wine64 wine nsis xvfb xauth zip dpkg-dev \
        cmake ninja-build qt6-base-dev qt6-base-dev-tools imagemagick socat; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || need+=("$p")
    done
    if [ ${#need[@]} -gt 0 ]; then
        echo "windows: installing ${need[*]}"
        apt-get install -y --no-install-recommends "${need[@]}"
    fi
    # The installed stage compares with the Linux build and drives both with
    # xdotool: what the Linux build needs too.
    "$root/scripts/install-deps.sh"
    # The source of Debian's own qtbase, the same version as the host Qt whose
    # moc, rcc and uic the cross build uses.
    local list=/etc/apt/sources.list.d/tarvin-deb-src.sources
    if [ ! -f "$list" ]; then
        # The same main archive the machine's binary packages come from.
        local archive suite
        archive=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
            awk '$1 == "URIs:" && $2 !~ /security/ { print $2; exit }')
        [ -n "$archive" ] || archive=$(awk '$1 == "deb" && $0 !~ /security/ { print ($2 ~ /^\[/ ? $3 : $2); exit }' \
            /etc/apt/sources.list 2>/dev/null)
        [ -n "$archive" ] || { echo "windows: no Debian archive found in the apt sources" >&2; exit 1; }
        suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
        printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
            "$archive" "$suite" /usr/share/keyrings/debian-archive-keyring.gpg >"$list"
        apt-get update
    fi
    if [ ! -d "$qt_src_dir" ]; then
        mkdir -p "$qt_src"
        local v
        v=$(dpkg-query -W -f='${Version}' qt6-base-dev)
        (cd "$qt_src" && apt-get source "qt6-base=$v")
        mv "$qt_src/qt6-base-${v%%-*}" "$qt_src_dir"
    fi
    stage_done deps
}

# --- qt: qtbase for Windows, only what the workbench uses ---------------------
run_qt() {
    stage qt
    if [ -f "$qt_prefix/.tarvin-complete" ]; then
        echo "windows: Qt for Windows is cached in $qt_prefix"
        stage_done qt
        return
    fi
    if [ ! -f "$qt_build/build.ninja" ]; then
        # Wintab's header is missing from Debian's source, so no tablet
        # events; OpenGL stays dynamic because 6.4.2's Windows platform plugin
        # does not build without it.
        cmake -S "$qt_src_dir" -B "$qt_build" -G Ninja \
            "${cross[@]}" -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
            -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF \
            -DFEATURE_xml=OFF -DINPUT_openssl=no -DFEATURE_system_zlib=OFF \
            -DFEATURE_tabletevent=OFF -DFEATURE_jpeg=OFF -DFEATURE_vulkan=OFF
    fi
    nice -n 5 ninja -C "$qt_build" -j"$jobs"
    ninja -C "$qt_build" install >/dev/null
    touch "$qt_prefix/.tarvin-complete"
    du -sh "$qt_prefix"
    stage_done qt
}

# --- build: the workbench, the tools and the tests, warnings as errors -------
run_build() {
    stage build
    [ -f "$qt_prefix/.tarvin-complete" ] || { echo "windows: Qt for Windows is not built yet (stage qt)" >&2; exit 1; }
    cmake -S "$root" -B "$build_dir" -G Ninja \
        "${cross[@]}" -DCMAKE_PREFIX_PATH="$qt_prefix" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" \
        -DTARVIN_WERROR=ON -DTARVIN_BENCH=OFF >/dev/null
    # WIN_TARGETS narrows the build while iterating (default: everything).
    # shellcheck disable=SC2086
    nice -n 5 ninja -C "$build_dir" -j"$jobs" ${WIN_TARGETS:-}
    stage_done build
}

# --- deploy: the program folder, its zip and the installer --------------------
run_deploy() {
    stage deploy
    local version app=$deploy_dir/tarvin-diagnostic
    version=$(sed -n 's/^project(TarvinDiagnostic VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
    rm -rf "$deploy_dir"
    mkdir -p "$app"/{platforms,styles,imageformats,help,licenses}
    cp "$build_dir"/app/tarvin-diagnostic.exe "$build_dir"/tools/tarvin-*/tarvin-*.exe "$app/"
    for m in Core Gui Widgets Network PrintSupport; do cp "$qt_prefix/bin/Qt6$m.dll" "$app/"; done
    cp "$mingw_runtime"/libgcc_s_seh-1.dll "$mingw_runtime"/libstdc++-6.dll \
        /usr/$triple/lib/libwinpthread-1.dll "$app/"
    cp "$qt_prefix/plugins/platforms/qwindows.dll" "$app/platforms/"
    cp "$qt_prefix"/plugins/styles/*.dll "$app/styles/" 2>/dev/null || true
    cp "$qt_prefix"/plugins/imageformats/qico.dll "$app/imageformats/" 2>/dev/null || true
    cp "$root"/gui/help/*.html "$app/help/"
    cp "$root/packaging/copyright" "$app/licenses/tarvin-diagnostic.txt"
    cp "$qt_src_dir"/LICENSES/LGPL-3.0-only.txt "$qt_src_dir"/LICENSES/GPL-3.0-only.txt "$app/licenses/"
    cp "$mingw_runtime/../../../../share/doc/gcc-mingw-w64-base/copyright" \
        "$app/licenses/mingw-w64-runtime.txt" 2>/dev/null || true
    # Files meant for people on Windows have CR LF.
    sed -i 's/$/\r/' "$app/licenses/tarvin-diagnostic.txt"
    (cd "$deploy_dir" && rm -f "tarvin-diagnostic-$version-windows.zip" &&
        zip -qr "tarvin-diagnostic-$version-windows.zip" tarvin-diagnostic)
    makensis -V2 -DVERSION="$version" -DDEPLOY="$app" \
        -DOUTFILE="$deploy_dir/tarvin-diagnostic-$version-setup.exe" \
        "$root/packaging/windows/tarvin-diagnostic.nsi"
    ls -l "$deploy_dir"/*.zip "$deploy_dir"/*.exe
    stage_done deploy
}

# --- test: the test programs under Wine on a private X display ---------------
run_test() {
    stage test
    local xvfb_pid
    export WINEPREFIX=$cache/wine-tests WINEDEBUG=-all
    start_display
    trap 'kill $xvfb_pid 2>/dev/null || true; trap - RETURN' RETURN
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        timeout 300 wineboot -i >/dev/null 2>&1 || true
    fi
    # A program that crashes ends there, instead of waiting for a debugger
    # until its time runs out.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /t REG_SZ /d '' /f >/dev/null 2>&1 || true
    local log=$build_dir/wine-tests.log
    # The programs that need what Windows lacks are not built for it, and
    # the one Wine cannot run is disabled (see tests/e2e/CMakeLists.txt and
    # the README). TEST_ARGS narrows the run while iterating (ctest's -R,
    # -E...). The programs run one at a time: under Windows they share the
    # registry, where one's settings would reach another.
    # shellcheck disable=SC2086
    (cd "$build_dir" && timeout 7200 ctest ${TEST_ARGS:-} >"$log" 2>&1) || true
    passed=$((passed + $(grep -c " Passed " "$log" || true)))
    failed=$((failed + $(grep -E "\*\*\*Failed|\*\*\*Timeout|\*\*\*Exception|Not Run" "$log" | grep -vc "(Disabled)" || true)))
    grep -E "\*\*\*Failed|\*\*\*Timeout|\*\*\*Exception|Not Run" "$log" || true
    tested=1
    stage_done test
}

# --- installed: the installer under Wine, the installed workbench against the
# Linux simulator on loopback TCP and on a COM port mapped to its pty ---------

# The workbench's main window (the largest of its visible top-level windows)
# and how many of them are up; no window manager runs, so focus is set by hand.
main_window() {
    local w best='' area=0 WIDTH HEIGHT
    for w in $(xdotool search --onlyvisible --name '^Tarvin Diagnostic Utility$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
        if [ $((WIDTH * HEIGHT)) -gt "$area" ]; then best=$w area=$((WIDTH * HEIGHT)); fi
    done
    echo "$best"
}
window_count() {
    xdotool search --onlyvisible --name '^Tarvin Diagnostic Utility$' 2>/dev/null | wc -l
}
# Waits (at most $2 tenths of a second) for $1 windows of the workbench.
wait_windows() {
    for _ in $(seq "${2:-600}"); do
        [ "$(window_count)" -ge "$1" ] && return 0
        sleep 0.1
    done
    echo "windows: no window $1 of the workbench" >&2
    return 1
}
# The screen where the main window lies, with what stands over it, into $1.
shoot_main() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$(main_window)")"
    import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$1"
}
# Answers the message box a command ends with, and waits for it to go. On a
# loaded machine a window found may be gone before it takes the focus: then
# the box is looked for again, five times at the most.
answer_box() {
    wait_windows 2 || return 1
    local box
    for _ in 1 2 3 4 5; do
        box=$(xdotool search --onlyvisible --name '^Tarvin Diagnostic Utility$' 2>/dev/null |
            grep -vx "$(main_window)" | tail -1)
        [ -z "$box" ] || xdotool windowfocus "$box" key Return 2>/dev/null || true
        for _ in $(seq 60); do [ "$(window_count)" -le 1 ] && return 0; sleep 0.1; done
    done
    return 1
}
# Waits until the wire log $1 has stopped growing for two seconds.
wire_settled() {
    local size=-1 same=0 now
    for _ in $(seq 300); do
        now=$(stat -c %s "$1" 2>/dev/null || echo 0)
        if [ "$now" = "$size" ]; then same=$((same + 1)); else same=0 size=$now; fi
        [ "$same" -ge 20 ] && return 0
        sleep 0.1
    done
}
# Opens the Tarvin menu of window $1 and chooses its item $2 (from 1), with
# time for a loaded machine to show the menu before the keys reach it.
tarvin_menu() {
    xdotool windowfocus "$1" key alt+t
    sleep 1
    # shellcheck disable=SC2046
    xdotool key --delay 100 $(printf 'Down %.0s' $(seq "$2")) Return
}
# Drives the workbench ($3...) as a user would, by keyboard and mouse: connect
# (which reads the PCI's data), Get PCI Data, Identify All Units, the
# Lighting page's Send, one option changed through the Options menu, then
# File > Exit, which saves the settings. $1 is the simulator's wire log, $2
# where the screen is shot before the exit (empty: no shot).
drive_workbench() {
    local wire=$1 shot=$2 program X Y WIDTH HEIGHT
    shift 2
    "$@" &
    program=$!
    wait_windows 1 || { kill "$program"; return 1; }
    sleep 2
    local w
    w=$(main_window)
    xdotool mousemove 1 1 windowfocus "$w" key ctrl+k
    answer_box || { kill "$program"; return 1; }
    tarvin_menu "$w" 9
    answer_box || { kill "$program"; return 1; }
    tarvin_menu "$w" 7
    answer_box || { kill "$program"; return 1; }
    # Send lies 102 by 105 pixels from the window's bottom right corner,
    # under Wine as on Linux.
    eval "$(xdotool getwindowgeometry --shell "$w")"
    xdotool mousemove $((X + WIDTH - 102)) $((Y + HEIGHT - 105)) click 1
    wire_settled "$wire"
    [ -z "$shot" ] || shoot_main "$shot"
    xdotool windowfocus "$w" key alt+o a
    sleep 1
    exit_workbench "$program"
}
# File > Exit in the workbench (process $1), and its end awaited.
exit_workbench() {
    xdotool windowfocus "$(main_window)" key alt+f x
    for _ in $(seq 600); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    kill "$1" 2>/dev/null && { echo "windows: the workbench did not exit" >&2; return 1; }
    wait "$1" || true
}
# The lines the workbench sent, as the simulator's wire log has them.
sent_lines() {
    awk '$2 == "RX" { $1 = ""; sub(/^ /, ""); print }' "$1"
}

run_installed() {
    stage installed
    local xvfb_pid sim_pid work=$build_dir/installed
    local sim=${LINUX_SIM:-$root/build/tools/tarvin-sim/tarvin-sim}
    local linux_workbench=${LINUX_WORKBENCH:-$root/build/app/tarvin-diagnostic}
    # A fresh clone has no Linux build yet: only these two are needed.
    if [ ! -x "$sim" ] || [ ! -x "$linux_workbench" ]; then
        BUILD_DIR=build TARGETS="tarvin-sim tarvin-diagnostic" "$root/scripts/build.sh"
    fi
    [ -x "$sim" ] || { echo "windows: needs the Linux tarvin-sim ($sim)" >&2; exit 1; }
    [ -x "$linux_workbench" ] || { echo "windows: needs the Linux workbench ($linux_workbench)" >&2; exit 1; }
    export WINEPREFIX=$cache/wine-installed WINEDEBUG=-all
    rm -rf "$work" && mkdir -p "$work"
    start_display
    sim_pid=
    trap 'kill $sim_pid $xvfb_pid 2>/dev/null || true; trap - RETURN' RETURN
    [ -f "$WINEPREFIX/system.reg" ] || timeout 300 wineboot -i >/dev/null 2>&1 || true
    # One Wine server for the whole stage, whose dump of its objects on
    # leaving goes nowhere; it ends by itself ten minutes after its last client.
    wineserver -p 600 >/dev/null 2>&1 || true

    local setup
    setup=$(ls "$deploy_dir"/tarvin-diagnostic-*-setup.exe)
    timeout 300 wine "$setup" /S
    local installed="$WINEPREFIX/drive_c/Program Files/Ostrel/Tarvin Diagnostic"
    [ -f "$installed/tarvin-diagnostic.exe" ] || { echo "windows: the installer installed nothing" >&2; exit 1; }

    # start_sim NAME ARGS...: the simulator with its wire log in NAME.log.
    start_sim() {
        local name=$1
        shift
        "$sim" "$@" --no-control --wire-log "$work/$name.log" >"$work/$name.out" 2>&1 &
        sim_pid=$!
        for _ in $(seq 50); do grep -q READY "$work/$name.out" && break; sleep 0.1; done
    }
    stop_sim() { kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; sim_pid=; }
    # check NAME CONDITION...: one counted result.
    check() {
        local name=$1
        shift
        if "$@"; then
            echo "windows: installed: $name: passed"
            passed=$((passed + 1))
        else
            echo "windows: installed: $name: FAILED"
            failed=$((failed + 1))
        fi
    }
    local options_key='HKCU\Software\Ostrel\Tarvin Diagnostic\Options'
    put_options() {
        printf 'Windows Registry Editor Version 5.00\n\n[%s]\n' \
            "HKEY_CURRENT_USER${options_key#HKCU}" >"$work/options.reg"
        printf '"%s"="%s"\n' "$@" >>"$work/options.reg"
        wine regedit /S "$(printf 'Z:%s' "${work//\//\\}")\\options.reg"
    }
    read_options() { wine reg query "$options_key" | tr -d '\r' >"$work/$1"; }

    # 1. Loopback TCP: the settings the workbench starts with, never the
    # default address.
    start_sim tcp --tcp 0
    local port
    port=$(awk '$1 == "TCP" { print $3 }' "$work/tcp.out")
    wine reg delete "$options_key" /f >/dev/null 2>&1 || true
    put_options IPAddress 127.0.0.1 Port "$port" ConnectionType 1 COMPort COM5 ShowAllTools 0
    read_options options-tcp.txt
    cat "$work/options-tcp.txt"
    check "settings in the registry" grep -q 'IPAddress *REG_SZ *127.0.0.1' "$work/options-tcp.txt"
    TARVIN_AUTOCONNECT=1 timeout 120 wine "$installed/tarvin-diagnostic.exe" >"$work/workbench-tcp.out" 2>&1 &
    local workbench=$!
    for _ in $(seq 300); do grep -q '^[0-9]* RX 2104' "$work/tcp.log" 2>/dev/null && break; sleep 0.1; done
    wire_settled "$work/tcp.log"
    # The picture of the installed workbench connected, the PCI's box shown.
    if wait_windows 2; then shoot_main "$work/windows.png" || true; fi
    answer_box || true
    exit_workbench "$workbench" || true
    stop_sim
    check "Get PCI Data over TCP" grep -q '^[0-9]* RX 2104' "$work/tcp.log"

    # 2. The same actions by the Linux workbench on a pseudo-terminal, for
    # the lines the Windows one must send.
    start_sim linux --pty
    local config=$work/linux-config
    mkdir -p "$config/Ostrel"
    printf '[Options]\nConnectionType=0\nCOMPort=%s\nShowAllTools=0\n' \
        "$(awk '$1 == "PTY" { print $2 }' "$work/linux.out")" >"$config/Ostrel/Tarvin Diagnostic.conf"
    XDG_CONFIG_HOME=$config drive_workbench "$work/linux.log" "" "$linux_workbench" \
        >"$work/workbench-linux.out" 2>&1 || true
    stop_sim
    sent_lines "$work/linux.log" >"$work/linux-sent.txt"

    # 3. The installed workbench on COM5, which Wine maps to the simulator's
    # pseudo-terminal.
    start_sim com5 --pty
    ln -sfn "$(awk '$1 == "PTY" { print $2 }' "$work/com5.out")" "$WINEPREFIX/dosdevices/com5"
    put_options ConnectionType 0 COMPort COM5 ShowAllTools 0
    drive_workbench "$work/com5.log" "$work/windows-com5.png" \
        timeout 300 wine "$installed/tarvin-diagnostic.exe" \
        >"$work/workbench-com5.out" 2>&1 || true
    stop_sim
    sent_lines "$work/com5.log" >"$work/com5-sent.txt"
    read_options options-com5.txt
    echo "windows: the installed workbench sent on COM5:"
    cat "$work/com5-sent.txt"
    check "the Linux workbench's actions on the wire" grep -q '^RX \\\\05380002' "$work/linux-sent.txt"
    check "the same lines on COM5 as on Linux" diff -u "$work/linux-sent.txt" "$work/com5-sent.txt"
    # What the program saved on exit: the option changed through the menu.
    check "settings saved to the registry" grep -q 'ShowAllTools *REG_SZ *1' "$work/options-com5.txt"
    check "the port kept in the registry" grep -q 'COMPort *REG_SZ *COM5' "$work/options-com5.txt"
    rm -f "$WINEPREFIX/dosdevices/com5"

    # 4. Ctrl+C in the console the installed monitor runs in. Wine turns the
    # terminal's SIGINT into the console's Ctrl+C event, so this is the
    # program's console handler at work, not a POSIX signal handler.
    start_sim monitor --tcp 0 --inject-file "$root/tools/tarvin-sim/demo-traffic.txt" \
        --inject-interval 100 --inject-repeat 0
    port=$(awk '$1 == "TCP" { print $3 }' "$work/monitor.out")
    local capture=$work/monitor-capture.txt monitor_pid=
    wine "$installed/tarvin-monitor.exe" --tcp 127.0.0.1 --port "$port" \
        --output "$(printf 'Z:%s' "${capture//\//\\}")" >"$work/monitor-stdout.txt" 2>&1 &
    local wine_job=$!
    for _ in $(seq 300); do [ "$(grep -sc ' Rx ' "$capture")" -ge 5 ] 2>/dev/null && break; sleep 0.1; done
    monitor_pid=$(pgrep -f 'tarvin-monitor\.exe' | head -1 || true)
    [ -z "$monitor_pid" ] || kill -INT "$monitor_pid"
    local monitor_status=0
    for _ in $(seq 200); do kill -0 "$wine_job" 2>/dev/null || break; sleep 0.1; done
    # Still running after 20 s: ended here, which its status then says.
    if kill -0 "$wine_job" 2>/dev/null; then kill "$wine_job" "$monitor_pid" 2>/dev/null || true; fi
    wait "$wine_job" 2>/dev/null || monitor_status=$?
    stop_sim
    local stopped=no
    [ -n "$monitor_pid" ] && [ "$monitor_status" = 0 ] && stopped=yes
    check "the monitor stops on Ctrl+C with exit status 0" [ "$stopped" = yes ]
    check "the monitor's capture ends with its stop marker" \
        grep -q '# capture stopped (signal)' <(tail -1 "$capture" | tr -d '\r')
    tested=1
    stage_done installed
}

main() {
    stages=("$@")
    [ ${#stages[@]} -gt 0 ] || stages=(deps qt build deploy test installed)
    for s in "${stages[@]}"; do
        case $s in
        deps | qt | build | deploy | test | installed) "run_$s" ;;
        *)
            echo "windows: unknown stage '$s' (deps qt build deploy test installed)" >&2
            exit 2
            ;;
        esac
    done
    [ "$tested" = 0 ] || echo "windows: $passed passed, $failed failed"
    [ "$failed" = 0 ]
}

# On one line, so that bash has read all of it before the stages run: the
# Qt stage runs for long, and an edit to this file meanwhile must not change
# what a running build does next.
main "$@"; exit $?
