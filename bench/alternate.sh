# Sourced by the benchmarks: runs two commands alternately, so that both meet the same load on
# a shared machine, and prints the median wall time of each and their ratio (times taken from
# bash's EPOCHREALTIME in microseconds).
# alternate RUNS NAME_A NAME_B -- A... -- B...
alternate() {
    local runs=$1 name_a=$2 name_b=$3
    shift 3
    [[ $1 == -- ]] || { echo "alternate: expected --" >&2; return 2; }
    shift
    local a=() b=()
    while [[ $1 != -- ]]; do a+=("$1"); shift; done
    shift
    b=("$@")
    local times_a=() times_b=() start i
    for ((i = 0; i < 3; ++i)); do "${a[@]}" >/dev/null 2>&1; "${b[@]}" >/dev/null 2>&1; done   # warm the caches
    for ((i = 0; i < runs; ++i)); do
        start=${EPOCHREALTIME/./}; "${a[@]}" >/dev/null 2>&1 || { echo "$name_a failed" >&2; return 1; }
        times_a+=($(( ${EPOCHREALTIME/./} - start )))
        start=${EPOCHREALTIME/./}; "${b[@]}" >/dev/null 2>&1 || { echo "$name_b failed" >&2; return 1; }
        times_b+=($(( ${EPOCHREALTIME/./} - start )))
    done
    local median_a median_b
    median_a=$(printf '%s\n' "${times_a[@]}" | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}')
    median_b=$(printf '%s\n' "${times_b[@]}" | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}')
    awk -v a="$median_a" -v b="$median_b" -v na="$name_a" -v nb="$name_b" -v n="$runs" 'BEGIN {
        printf "%-30s %9.2f ms (median of %d)\n%-30s %9.2f ms (median of %d)\nratio: %.2f\n", na, a / 1000, n, nb, b / 1000, n, a / b }'
}
