#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero when a test fails.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
install_missing_packages
build
(cd "${QUORVEX_BUILD_DIR:-build}" && ctest --output-on-failure -j "$(nproc)" "$@")
# Every reader of outside data, fuzzed for a few hundred runs (bench/fuzz.sh SECONDS for longer).
if command -v clang++ >/dev/null 2>&1; then
    bench/fuzz.sh --runs 200
fi
