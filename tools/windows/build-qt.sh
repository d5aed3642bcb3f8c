#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (Core, Gui, Widgets, Test; shared, Release) from Debian's own
# qt6-base source with Debian's MinGW-w64, for the Windows build of Pellinova. About 45 minutes
# on two cores; needs deb-src for bookworm in the APT sources.
#   build-qt.sh PREFIX   installs into PREFIX (then: tools/windows/test.sh finds it through
#                        PELLINOVA_QT_WINDOWS=PREFIX)
set -euo pipefail
prefix=$(realpath -m "${1:?usage: build-qt.sh PREFIX}")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" apt-get install -y dpkg-dev ninja-build cmake g++-mingw-w64-x86-64-posix \
    qt6-base-dev qt6-base-dev-tools
cd "$work"
apt-get source --download-only qt6-base
dpkg-source -x qt6-base_*.dsc source
# The windows plugin refers to the DirectWrite font database even without Direct2D.
patch -d source -p1 <"$here/qwindows-no-direct2d.patch"

cmake -S source -B build -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/../../cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DQT_BUILD_MANUAL_TESTS=OFF \
    -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_concurrent=OFF \
    -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF -DFEATURE_opengl=OFF -DINPUT_opengl=no \
    -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF -DFEATURE_zstd=OFF -DFEATURE_icu=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_androiddeployqt=OFF -DFEATURE_windeployqt=OFF \
    -DFEATURE_testlib=ON \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_jpeg=OFF -DFEATURE_system_textmarkdownreader=OFF
cmake --build build --parallel "$(nproc)"
cmake --install build
x86_64-w64-mingw32-strip --strip-unneeded "$prefix"/bin/*.dll "$prefix"/plugins/*/*.dll
echo "Qt for Windows is in $prefix"
