#!/usr/bin/env bash
# Runs the load benchmark from an existing build (it builds nothing) and prints the medians
# of LoadJushoTable and of its floor, and their ratio.
#   run.sh [BUILD_DIR] [ITERATIONS]    (defaults: build, 2000)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
program=$build/bench/load/bench_load
if [ ! -x "$program" ]; then
    echo "run.sh: $program not found; build the bench_load target first" >&2
    exit 1
fi
exec "$program" "${2:-2000}"
