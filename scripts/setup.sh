#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the missing Debian packages, configures and builds.
set -euo pipefail

# What building and running the program needs (run.sh).
PROGRAM_PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-multimedia-dev libzip-dev libsndfile1-dev libsoxr-dev
                  shared-mime-info desktop-file-utils xdg-utils)   # the file associations
# What the tests and the package need besides (test.sh, package.sh).
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth libglib2.0-bin libfile-mimeinfo-perl
               dpkg-dev lintian appstream bash-completion   # the Debian package (scripts/check_package.sh)
               clang libclang-rt-14-dev    # the fuzz targets (bench/fuzz.sh)
               mingw-w64 g++-mingw-w64-x86-64-posix wine64   # the Windows build, tested under Wine
               dosbox                      # runs the demo game's torlo.exe in the tests
               openbox                     # frames the windows of the on-screen GUI tests under Xvfb
               strace)                     # watches the order of the system calls of a replacing write

# Installs those of the packages named that are missing; apt-get options (--no-install-recommends)
# may come first.
install_missing_packages() {
    local missing=() options=()
    while [ $# -gt 0 ] && [ "${1#--}" != "$1" ]; do options+=("$1"); shift; done
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q "${options[@]}" "${missing[@]}"
}

# The program alone (run.sh): no tests, so neither GoogleTest nor Qt Test is needed.
build_program() {
    local top build_dir
    top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    build_dir="${QUORVEX_BUILD_DIR:-$top/build}"
    cmake -S "$top" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$build_dir" -j "$(nproc)"
}

build() {
    local top build_dir
    top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    build_dir="${QUORVEX_BUILD_DIR:-$top/build}"
    # QUORVEX_WINDOWS_BUILD (set by build_windows): the CLI tests run against that build too.
    cmake -S "$top" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
          -DQUORVEX_WINDOWS_BUILD="${QUORVEX_WINDOWS_BUILD:-}" >/dev/null
    cmake --build "$build_dir" -j "$(nproc)"
}

# quorvex-cli.exe and quorvex-demo-game.exe, cross-built with mingw-w64 into build-windows/
# (no Qt, no codecs: neither is built for Windows in Debian); exports QUORVEX_WINDOWS_BUILD.
build_windows() {
    local top
    top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    export QUORVEX_WINDOWS_BUILD="$top/build-windows"
    cmake -S "$top" -B "$QUORVEX_WINDOWS_BUILD" --toolchain "$top/cmake/mingw-w64.cmake" \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEX_QT=OFF -DQUORVEX_CODECS=OFF -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$QUORVEX_WINDOWS_BUILD" -j "$(nproc)" --target quorvex-cli quorvex-demo-game quorvex_dat
}
