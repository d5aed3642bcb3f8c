#!/usr/bin/env bash
# Builds the address book benchmark in a build folder (turning the benchmarks on there) and
# prints the times with their goals, first offscreen, then in real windows on an X server of its own:
# Add against its floor, Open and choosing with large books, and the worst a file within the
# size bound can do.
#   run.sh [BUILD_DIR] [ITERATIONS] [SCRATCH_DIR]   (defaults: build-bench, 50, BUILD_DIR)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath -m "${1:-$here/../../build-bench}")
"$here/../build.sh" "$build" bench_book
program=$build/bench/book/bench_book
scratch=${3:-$build/bench-book-XXXXXX}
QT_QPA_PLATFORM=offscreen "$program" "${2:-50}" "$scratch"
echo
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "${2:-50}" "$scratch"
