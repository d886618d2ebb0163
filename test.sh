#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero when a test fails.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
install_missing_packages
build
cd "${QUORVEX_BUILD_DIR:-build}"
ctest --output-on-failure -j "$(nproc)" "$@"
