#!/usr/bin/env bash
# Builds the load benchmark in a build folder (turning the benchmarks on there) and prints the
# medians of LoadJushoTable and of its floor, and their ratio.
#   run.sh [BUILD_DIR] [ITERATIONS]    (defaults: build-bench, 2000)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath -m "${1:-$here/../../build-bench}")
"$here/../build.sh" "$build" bench_load
program=$build/bench/load/bench_load
exec "$program" "${2:-2000}"
