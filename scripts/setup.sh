#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the missing Debian packages, configures and builds.
set -euo pipefail

PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-multimedia-dev libzip-dev libsndfile1-dev libsoxr-dev
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth
          shared-mime-info desktop-file-utils xdg-utils libglib2.0-bin libfile-mimeinfo-perl
          dpkg-dev lintian appstream bash-completion   # the Debian package (scripts/check_package.sh)
          clang libclang-rt-14-dev    # the fuzz targets (bench/fuzz.sh)
          mingw-w64 g++-mingw-w64-x86-64-posix wine64   # the Windows build, tested under Wine
          dosbox                      # runs the demo game's torlo.exe in the tests
          openbox                     # frames the windows of the on-screen GUI tests under Xvfb
          strace)                     # watches the order of the system calls of a replacing write

install_missing_packages() {
    local missing=()
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q "${missing[@]}"
}

build() {
    local top build_dir
    top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    build_dir="${QUORVEX_BUILD_DIR:-$top/build}"
    # QUORVEX_WINDOWS_BUILD (set by build_windows): the CLI tests run against that build too.
    cmake -S "$top" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
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
