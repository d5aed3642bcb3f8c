# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads, so that
# std::thread and std::mutex work), against a Qt for Windows built with it:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DCMAKE_PREFIX_PATH=<Qt for MinGW> -DQT_HOST_PATH=/usr
# tools/windows/test.sh does this, and runs the tests under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)

# Headers and libraries come only from the MinGW sysroot and the Qt prefix; programs run
# during the build (moc, rcc, python3) only from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${triplet} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# The build's own tools (moc, rcc, uic) are Debian's Qt's, which must be the same version.
if(NOT DEFINED QT_HOST_PATH)
    set(QT_HOST_PATH /usr)
endif()
if(NOT DEFINED QT_HOST_PATH_CMAKE_DIR AND QT_HOST_PATH STREQUAL "/usr")
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()

# The programs built here run on Linux under Wine, through wine-run.sh, which gives each the Qt
# for Windows it was built against (the first prefix) and a Wine session in the build folder.
if(CMAKE_HOST_UNIX AND CMAKE_PREFIX_PATH)
    list(GET CMAKE_PREFIX_PATH 0 qt_for_windows)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_CURRENT_LIST_DIR}/../tools/windows/wine-run.sh ${qt_for_windows} ${CMAKE_BINARY_DIR})
endif()
