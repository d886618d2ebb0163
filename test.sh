#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero when a test fails.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
install_missing_packages "${PROGRAM_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
# The Windows build first, so that the CLI tests run against it under Wine as well.
if command -v wine >/dev/null 2>&1 && command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
    build_windows
fi
build
(cd "${QUORVEX_BUILD_DIR:-build}" && ctest --output-on-failure -j "$(nproc)" "$@")
# The Debian package: built, checked by lintian, installed, run from /usr/bin, removed without a trace.
scripts/check_package.sh
# Every reader of outside data, fuzzed for a few hundred runs (bench/fuzz.sh SECONDS for longer).
# Then the sound import tests that it built under AddressSanitizer and UBSan.
if command -v clang++ >/dev/null 2>&1; then
    bench/fuzz.sh --runs 200
    supp="$PWD/fuzz/lsan.supp"
    # use_tls=0: clang 14's leak checker crashes ("Tracer caught signal 11") scanning the dynamic
    # thread-local storage of libgomp, which the codecs module loads through libsoxr.
    (cd "${QUORVEX_FUZZ_BUILD_DIR:-build-fuzz}" && LSAN_OPTIONS="suppressions=$supp:use_tls=0" ctest --output-on-failure -j "$(nproc)")
fi
