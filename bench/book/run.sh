#!/usr/bin/env bash
# Runs the address book benchmark from an existing build (it builds nothing) and prints the
# times with their goals, first offscreen, then in real windows on an X server of its own:
# Add against its floor, Open and choosing with large books, and the worst a file within the
# size bound can do.
#   run.sh [BUILD_DIR] [ITERATIONS] [SCRATCH_DIR]   (defaults: build, 50, BUILD_DIR)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
program=$build/bench/book/bench_book
if [ ! -x "$program" ]; then
    echo "run.sh: $program not found; build the bench_book target first" >&2
    exit 1
fi
scratch=${3:-$build/bench-book-XXXXXX}
QT_QPA_PLATFORM=offscreen "$program" "${2:-50}" "$scratch"
echo
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "${2:-50}" "$scratch"
