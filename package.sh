#!/usr/bin/env bash
# Builds the Debian package quorvex_<version>_amd64.deb into build-package/ (Release, prefix
# /usr, without the tests) with the compiler flags of Debian's own packages.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
install_missing_packages "${PROGRAM_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_dir="${QUORVEX_PACKAGE_DIR:-build-package}"
# Hardening (stack protector, fortified functions, read-only relocations) as dpkg-buildflags gives it.
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/quorvex_*_amd64.deb
