#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the missing Debian packages, configures and builds.
set -euo pipefail

PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-multimedia-dev libzip-dev libsndfile1-dev libsamplerate0-dev
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth
          shared-mime-info desktop-file-utils xdg-utils libglib2.0-bin libfile-mimeinfo-perl
          dpkg-dev lintian appstream bash-completion   # the Debian package (scripts/check_package.sh)
          clang libclang-rt-14-dev)   # the fuzz targets (bench/fuzz.sh)

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
    cmake -S "$top" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build_dir" -j "$(nproc)"
}
