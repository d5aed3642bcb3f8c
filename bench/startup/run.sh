#!/usr/bin/env bash
# Compares the program's start-up with the floor's: the time from exec until the first window
# is mapped, and the peak resident memory at that moment. Runs both alternately on an Xvfb
# display of its own, in one clean environment, and prints the medians and their ratios.
#
#   run.sh [--build DIR] [--runs N] [--program PATH] [--floor PATH]
#          [--program-env VAR=VALUE]... [--floor-env VAR=VALUE]...
#
#   --build DIR      build folder holding app/pellinova and bench/startup/ (default: build-bench)
#   --runs N         measured runs of each, after one warm-up run of each (default: 20)
#   --program PATH   the program to measure (default: DIR/app/pellinova)
#   --floor PATH     what to compare it with (default: DIR/bench/startup/bench_startup_floor)
#   --*-env          an extra variable for one side only, e.g. a floor switch
#   --wine DIR       the Windows build folder DIR instead (pellinova.exe and its floor), run
#                    with wine; from inside tools/windows/wine-run.sh QT DIR --host, whose
#                    Wine settings both sides are given
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build="$here/../../build-bench"
runs=20
program=""
floor=""
program_env=()
floor_env=()
wine_build=""

fail() {
    echo "run.sh: $*" >&2
    exit 1
}

while (($#)); do
    case "$1" in
    --build | --runs | --program | --floor | --program-env | --floor-env | --wine)
        (($# >= 2)) || fail "$1 needs a value"
        case "$1" in
        --build) build=$2 ;;
        --runs) runs=$2 ;;
        --program) program=$2 ;;
        --floor) floor=$2 ;;
        --program-env) program_env+=("$2") ;;
        --floor-env) floor_env+=("$2") ;;
        --wine) wine_build=$(cd "$2" && pwd) ;;
        esac
        shift 2
        ;;
    *) fail "unknown argument $1 (see the head of this script)" ;;
    esac
done
[[ $runs =~ ^[1-9][0-9]*$ ]] || fail "--runs must be a positive number"
build=$(realpath -m "$build")
"$here/../build.sh" "$build" pellinova bench_startup_floor bench_startup_measure
[ -z "$wine_build" ] || "$here/../build.sh" "$wine_build" pellinova bench_startup_floor
program=${program:-$build/app/pellinova}
floor=${floor:-$build/bench/startup/bench_startup_floor}
measure=$build/bench/startup/bench_startup_measure
for file in "$program" "$floor" "$measure"; do
    [ -x "$file" ] || fail "$file is missing; build it first"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/pellinova-startup.XXXXXX")
if [ -n "$wine_build" ]; then # each side is wine starting its .exe, in the same process
    for side in program floor; do
        exe=$wine_build/app/pellinova.exe
        [ "$side" = program ] || exe=$wine_build/bench/startup/bench_startup_floor.exe
        printf '#!/bin/sh\nexec wine "%s"\n' "$exe" >"$work/$side.sh"
        chmod +x "$work/$side.sh"
    done
    program=$work/program.sh floor=$work/floor.sh
fi
xvfb_pid=""
cleanup() {
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it out once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    sleep 0.1
done
display=:$(head -n1 "$work/display")
[ "$display" != ":" ] || fail "Xvfb gave no display number"

# Both sides see exactly this, so neither profits from the caller's settings or caches.
mkdir -p "$work"/{home,data,config,cache,runtime}
chmod 700 "$work/runtime"
base_env=(PATH=/usr/bin:/bin HOME="$work/home" LANG=C.UTF-8 DISPLAY="$display"
    QT_QPA_PLATFORM=xcb XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
    XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime")
[ -z "$wine_build" ] || base_env+=(WINEPREFIX="$WINEPREFIX" WINEPATH="$WINEPATH"
    QT_PLUGIN_PATH="$QT_PLUGIN_PATH" WINEDEBUG=-all WINEDLLOVERRIDES="$WINEDLLOVERRIDES"
    QT_QPA_PLATFORM=windows)

measure_once() { # measure_once SIDE: appends "ms hwm_kib cpu_ms" to $work/SIDE
    local side=$1 path extra line
    if [ "$side" = program ]; then
        path=$program
        extra=("${program_env[@]}")
    else
        path=$floor
        extra=("${floor_env[@]}")
    fi
    line=$(env -i "${base_env[@]}" "${extra[@]}" "$measure" "$path" 2>>"$work/$side.log") || {
        kill -0 "$xvfb_pid" 2>/dev/null ||
            echo "run.sh: Xvfb has ended: $(tail -n3 "$work/xvfb.log")" >&2
        fail "measuring $path failed: $(tail -n3 "$work/$side.log")"
    }
    [[ $line =~ ms=([0-9.]+)\ hwm_kib=([0-9]+).*cpu_ms=([0-9.]+) ]] ||
        fail "unexpected measurement: $line"
    echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]} ${BASH_REMATCH[3]}" >>"$work/$side"
}

# Wall times mean little while other work keeps every processor busy; say so.
warn_if_busy() {
    local load cpus
    read -r load _ </proc/loadavg
    cpus=$(nproc)
    awk -v l="$load" -v c="$cpus" 'BEGIN { exit !(l >= c) }' &&
        echo "run.sh: warning: load average $load on $cpus processors; the times are" \
            "unreliable (the CPU times and peak RSS less so)" >&2
    return 0
}

warn_if_busy
# The warm-up runs fill the file caches and the font cache; they are not counted.
measure_once program
measure_once floor
: >"$work/program"
: >"$work/floor"
# Alternate which side goes first, so that neither always runs on the other's heels.
for ((i = 1; i <= runs; i++)); do
    if ((i % 2)); then
        measure_once program
        measure_once floor
    else
        measure_once floor
        measure_once program
    fi
done

median() { # median FILE COLUMN
    sort -n -k"$2,$2" "$1" | awk -v c="$2" '{ v[NR] = $c }
        END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
program_ms=$(median "$work/program" 1)
floor_ms=$(median "$work/floor" 1)
program_kib=$(median "$work/program" 2)
floor_kib=$(median "$work/floor" 2)
program_cpu=$(median "$work/program" 3)
floor_cpu=$(median "$work/floor" 3)

awk -v runs="$runs" -v display="$display" -v pm="$program_ms" -v fm="$floor_ms" \
    -v pk="$program_kib" -v fk="$floor_kib" -v pc="$program_cpu" -v fc="$floor_cpu" \
    -v pp="$program" -v fp="$floor" 'BEGIN {
    goal = 1.15
    printf "Start-up until the first window is mapped: median of %d runs each on Xvfb %s\n",
        runs, display
    printf "  program  %s\n  floor    %s\n\n", pp, fp
    printf "%-8s %10s %14s %12s\n", "", "time", "peak RSS", "(CPU time)"
    printf "%-8s %7.1f ms %10.1f MiB %9.1f ms\n", "program", pm, pk / 1024, pc
    printf "%-8s %7.1f ms %10.1f MiB %9.1f ms\n", "floor", fm, fk / 1024, fc
    rt = pm / fm
    rm = pk / fk
    printf "%-8s %9.2fx %13.2fx %11.2fx\n", "ratio", rt, rm, pc / fc
    printf "%-8s %10s %14s   goal: %.2fx or less on time and peak RSS\n", "",
        rt <= goal ? "within" : "OVER", rm <= goal ? "within" : "OVER", goal
}'
