#!/usr/bin/env bash
# Turns the benchmarks on in a build folder (they are off by default) and builds the targets
# named there, so that each run.sh measures what the checkout holds now.
#   build.sh BUILD_DIR TARGET...
set -euo pipefail
build=$1
shift
optimized=() # a new build folder is an optimised one: a benchmark of a debug build says nothing
[ -e "$build/CMakeCache.txt" ] || optimized=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
cmake -S "$(dirname "$0")/.." -B "$build" -DPELLINOVA_BENCHMARKS=ON "${optimized[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target "$@" >/dev/null
