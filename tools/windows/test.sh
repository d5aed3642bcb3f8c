#!/usr/bin/env bash
# Cross-builds Pellinova and its tests for 64-bit Windows and runs them under Wine, each test
# .exe through wine-run.sh on an X display of its own. Qt for Windows comes from
# PELLINOVA_QT_WINDOWS (a prefix), or is unpacked from ../shared/windows beside the checkout;
# without either, this says so in one line and ends successfully.
#   test.sh [BUILD_DIR]   (default: build-windows)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-windows}
qt=${PELLINOVA_QT_WINDOWS:-}
archive=$(ls ../shared/windows/qt6.*-mingw-w64-x86_64.tar.xz 2>/dev/null | tail -1 || true)
if [ -z "$qt" ] && [ -n "$archive" ]; then
    qt=$PWD/$build-qt/$(basename "$archive" .tar.xz)
    if [ ! -e "$qt/.unpacked" ]; then
        rm -rf "$qt" && mkdir -p "$(dirname "$qt")"
        tar -C "$(dirname "$qt")" -xf "$archive"
        touch "$qt/.unpacked"
    fi
fi
if [ -z "$qt" ]; then
    echo "Windows build skipped: no Qt for Windows (set PELLINOVA_QT_WINDOWS, or make one with tools/windows/build-qt.sh PREFIX)"
    exit 0
fi

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_BUILD_TYPE=Release -DPELLINOVA_WERROR=ON
cmake --build "$build" -j"$(nproc)"
cd "$build" && ctest --output-on-failure -j"$(nproc)"
