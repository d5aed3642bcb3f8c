#!/usr/bin/env bash
# Installs what is missing, builds, and then either starts Pellinova or runs every test.
#   ./setup.sh start   build and start the program
#   ./setup.sh test    check the C++'s layout, build and run the whole test suite (also under
#                      ASan and UBSan), fuzz the data file's reader and writer for a minute,
#                      then cross-build for Windows and run the tests and the program under Wine
set -euo pipefail
cd "$(dirname "$0")"

RUN_PACKAGES=(cmake g++ make qt6-base-dev qt6-translations-l10n fonts-noto-cjk xdg-utils)
TEST_PACKAGES=(xvfb x11-utils x11-apps imagemagick clang clang-format libclang-rt-14-dev
               desktop-file-utils appstream dpkg-dev file libx11-dev xdotool fakeroot
               python3 dbus at-spi2-core python3-pyatspi weston qt6-wayland
               g++-mingw-w64-x86-64-posix wine wine64 xclip python3-pefile nsis)

install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
            missing+=("$package")
    done
    ((${#missing[@]})) || return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
}

build() { # build DIR cmake-options...
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j"$(nproc)"
}

case "${1:-}" in
start)
    install_missing "${RUN_PACKAGES[@]}"
    build build -DBUILD_TESTING=OFF -DPELLINOVA_BENCHMARKS=OFF
    exec build/app/pellinova
    ;;
test)
    install_missing "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    # The C++ is laid out as .clang-format says.
    git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
    build build-sanitize -DPELLINOVA_WERROR=ON -DPELLINOVA_SANITIZE=ON
    (cd build-sanitize && ctest --output-on-failure -j"$(nproc)")
    # A minute of libFuzzer on the data file's reader and writer; a finding fails the run.
    CXX=clang++ cmake -S tests/fuzz/libfuzzer -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build-fuzz -j"$(nproc)"
    (cd build-fuzz && ctest --output-on-failure -j"$(nproc)")
    build build-test -DPELLINOVA_WERROR=ON
    (cd build-test && ctest --output-on-failure -j"$(nproc)")
    tools/windows/test.sh
    ;;
*)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
