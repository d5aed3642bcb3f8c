#!/usr/bin/env bash
# Runs the Windows build's programs under Wine; CTest's emulator for the Windows build.
#   wine-run.sh QT BUILD PROGRAM.exe [ARGS...]  a QtTest program: prints its log, keeps its status
#   wine-run.sh QT BUILD --host COMMAND...      a Linux command, with the Wine session's environment
#   wine-run.sh QT BUILD --start | --stop       the X display and wineserver shared by a test run
# QT is the Qt for MinGW prefix, BUILD the build folder: its Wine prefix (BUILD/wine/prefix) is
# made once, on first use. Without --start, a run starts and ends an X display of its own.
set -euo pipefail
qt=$1 build=$2
shift 2
state=$(realpath -m "$build")/wine
mkdir -p "$state"

windows_path() { # Wine's Z: is the Linux root
    local path
    path=$(realpath -m "$1")
    printf 'Z:%s' "${path//\//\\}"
}

# Qt's DLLs and the MinGW runtime are found on WINEPATH and the plugins on QT_PLUGIN_PATH, where
# they are installed, rather than copied beside each test: the build folder keeps only what it
# built, and nothing is left stale when another Qt is given.
mingw_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
export WINEPREFIX=$state/prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=" # no prompts to install Mono and Gecko
export WINEPATH="$(windows_path "$qt/bin");$(windows_path "$mingw_runtime");$(windows_path /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH=$(windows_path "$qt/plugins")
export QT_QPA_PLATFORM=windows # "offscreen" does not start under Wine: it fails in a message box
[ ! -e "$WINEPREFIX/dosdevices/t:" ] || export PELLINOVA_SMALL_DRIVE=T:

running() { [ -s "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; }

start() { # under the lock, so that tests started at once share one display and one prefix
    # What stays running must not hold the lock: each is started with it closed.
    exec {lock}>"$state/lock"
    flock "$lock"
    if ! running; then
        wineserver -k 2>/dev/null || true # what an earlier run left behind, on its old display
        # Xvfb writes its display number once it takes clients.
        exec {display}< <(exec setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 \
            3>&1 </dev/null >/dev/null 2>"$state/xvfb.log" {lock}>&-)
        echo $! >"$state/xvfb.pid"
        read -r -u "$display" number
        exec {display}<&-
        echo ":$number" >"$state/display"
        export DISPLAY=:$number
        if [ ! -e "$WINEPREFIX/.made" ]; then
            rm -rf "$WINEPREFIX"
            wineboot -i >/dev/null 2>&1 {lock}>&-
            # The setup program's Japanese pages ask for a font that Japanese Windows has and
            # this prefix does not: Noto Sans CJK stands in, so that they can be read.
            printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
                '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
                '"ＭＳ Ｐゴシック"="Noto Sans CJK JP"' '"MS UI Gothic"="Noto Sans CJK JP"' |
                iconv -f UTF-8 -t UTF-16 >"$state/fonts.reg"
            wine regedit /S "$(windows_path "$state/fonts.reg")" >/dev/null 2>&1 {lock}>&-
            wineserver -w # until the one wineboot started has saved the prefix and ended
            touch "$WINEPREFIX/.made"
        fi
        # A small disk of its own as drive T:, for the tests of a full disk, where mounting is
        # allowed (as root).
        mkdir -p "$state/small"
        mountpoint -q "$state/small" || mount -t tmpfs -o size=64k tmpfs "$state/small" 2>/dev/null ||
            true
        rm -f "$WINEPREFIX/dosdevices/t:"
        ! mountpoint -q "$state/small" || ln -s "$state/small" "$WINEPREFIX/dosdevices/t:"
        # One wineserver, with Wine's own services, for the whole run: programs start at once.
        wineserver -p </dev/null >/dev/null 2>&1 {lock}>&-
    fi
    exec {lock}>&-
}

stop() {
    wineserver -k 2>/dev/null || true
    ! mountpoint -q "$state/small" || umount -l "$state/small"
    running && kill "$(cat "$state/xvfb.pid")"
    rm -f "$state/xvfb.pid" "$state/display"
}

case ${1:-} in
--start) start ;;
--stop) stop ;;
--host)
    shift
    running || { start && trap stop EXIT; }
    export DISPLAY=$(cat "$state/display")
    "$@"
    ;;
*)
    running || { start && trap stop EXIT; }
    export DISPLAY=$(cat "$state/display")
    # QtTest's output does not come through Wine when redirected, so it goes to a file.
    log=$(mktemp "$state/log.XXXXXX")
    status=0
    wine "$1" -o "$(windows_path "$log"),txt" "${@:2}" >/dev/null 2>&1 </dev/null || status=$?
    # Wine does not implement two calls Qt makes for every window: their complaints are left out.
    grep -av 'EnableNonClientDpiScaling() failed\|fromWinHICON(), failed to GetIconInfo()' "$log" ||
        true
    rm -f "$log"
    exit $status
    ;;
esac
