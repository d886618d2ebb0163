#!/usr/bin/env bash
# Fuzzes every reader of outside data with libFuzzer under AddressSanitizer and UBSan.
#   bench/fuzz.sh SECONDS [TARGET...]     each target for SECONDS, one after the other
#   bench/fuzz.sh --runs N [TARGET...]    each target for N runs (what ./test.sh does)
#   bench/fuzz.sh --merge SECONDS [TARGET...]   as SECONDS, then the kept corpus updated
# Builds with clang in build-fuzz (or $QUORVEX_FUZZ_BUILD_DIR), together with the sound import
# tests under the same sanitizers, which ./test.sh runs there with ctest. Each target starts
# from its working corpus (seeded from the demo game's samples), from fuzz/corpus/NAME, the
# minimised corpus kept in the repository (so each run starts from the coverage earlier runs
# reached), and from fuzz/regressions/NAME, the inputs of earlier findings. With --merge the
# inputs of all three that add coverage replace fuzz/corpus/NAME, minimised (libFuzzer's
# -merge=1). Exits non-zero on a finding; its input is kept in build-fuzz/findings/.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUORVEX_FUZZ_BUILD_DIR:-$top/build-fuzz}"

merge=false
if [ "${1:-}" = --merge ]; then
    merge=true
    shift
fi
case "${1:-}" in
    --runs) limit=(-runs="${2:?--runs needs a number}"); shift 2 ;;
    ''|-*) echo "usage: bench/fuzz.sh [--merge] SECONDS | --runs N [TARGET...]" >&2; exit 2 ;;
    *) limit=(-max_total_time="$1"); shift ;;
esac
only=" $* "

export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$top")}"
cmake -S "$top" -B "$build" -DQUORVEX_FUZZ=ON -DBUILD_TESTING=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)" --target quorvex_fuzz >/dev/null

mkdir -p "$build/findings"
# Leaks in system libraries that the project cannot mend are listed there, with why. use_tls=0:
# clang 14's leak checker crashes scanning the dynamic thread-local storage of libgomp, which
# the codecs module loads through libsoxr.
export LSAN_OPTIONS="suppressions=$top/fuzz/lsan.supp:use_tls=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
status=0
printf '%-16s %12s %8s %10s\n' target executions seconds exec/s
while read -r name; do
    [ -n "$name" ] || continue
    [ "$only" = "  " ] || [[ "$only" == *" $name "* ]] || continue
    corpus="$build/fuzz/corpus/$name"
    kept="$top/fuzz/corpus/$name"
    regressions=()
    [ -d "$kept" ] && regressions+=("$kept")
    [ -d "$top/fuzz/regressions/$name" ] && regressions+=("$top/fuzz/regressions/$name")
    log="$build/findings/$name.log"
    start=$(date +%s)
    if "$build/bin/${name}_fuzz" "${limit[@]}" -seed=1 -rss_limit_mb=2560 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$name-" "$corpus" "${regressions[@]}" >"$log" 2>&1; then
        result=""
    else
        result="  FINDING, see $log"
        status=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if $merge && [ -z "$result" ]; then
        # A fresh folder takes the inputs that add coverage, so what is kept stays minimal.
        rm -rf "$kept.new" && mkdir -p "$kept.new"
        "$build/bin/${name}_fuzz" -merge=1 -rss_limit_mb=2560 "$kept.new" "$corpus" "${regressions[@]}" \
            >"$build/findings/$name-merge.log" 2>&1
        rm -rf "$kept" && mv "$kept.new" "$kept"
    fi
    seconds=$(( $(date +%s) - start ))
    printf '%-16s %12s %8s %10s%s\n' "$name" "${runs:-?}" "$seconds" \
        "$(( ${runs:-0} / (seconds > 0 ? seconds : 1) ))" "$result"
done <"$build/fuzz/targets.txt"
exit $status
