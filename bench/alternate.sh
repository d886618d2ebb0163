# Sourced by the benchmarks: runs two commands alternately, so that both meet the same load on
# a shared machine, and prints the median wall time of each and their ratio (times taken from
# bash's EPOCHREALTIME in microseconds).
# alternate RUNS NAME_A NAME_B -- A... -- B...
# ALTERNATE_BEFORE, when set, is run (untimed) before every run of either command.
# With ALTERNATE_UNTIL_REPORTED=1 a run ends at the time the command itself prints as
# "painted MICROSECONDS" (see src/gui/app/first_paint.h), so its teardown is not counted;
# ALTERNATE_REPORT_A and ALTERNATE_REPORT_B name another word to read ("ready") for either side.
# A scratch folder (removed on exit) holding the demo game at $scratch/game, set as the game
# folder of a configuration of its own; sets scratch and cli. EXTRA_SETTINGS are lines added
# to the configuration ("MakePL=no").
with_demo_game() {
    local build=$1 extra=${2-}
    scratch="$(mktemp -d)"
    trap 'rm -rf "$scratch"' EXIT
    cli="$build/bin/quorvex-cli"
    "$build/bin/quorvex-demo-game" "$scratch/game" >/dev/null
    mkdir -p "$scratch/config/Morvane"
    printf '[General]\nTorloPath=%s\n%s' "$scratch/game" "$extra" > "$scratch/config/Morvane/Quorvex.conf"
    export XDG_CONFIG_HOME="$scratch/config" QUORVEX_DATA_DIR="$scratch/data"
}

# The demo game's file of that name, found without regard to case as the game finds it.
game_file() {
    find "$scratch/game" -maxdepth 1 -iname "$1"
}

alternate() {
    local runs=$1 name_a=$2 name_b=$3
    shift 3
    [[ $1 == -- ]] || { echo "alternate: expected --" >&2; return 2; }
    shift
    local a=() b=()
    while [[ $1 != -- ]]; do a+=("$1"); shift; done
    shift
    b=("$@")
    local times_a=() times_b=() i
    local before=${ALTERNATE_BEFORE:-:}
    for ((i = 0; i < 3; ++i)); do   # warm the caches
        eval "$before"; "${a[@]}" >/dev/null 2>&1 || true
        eval "$before"; "${b[@]}" >/dev/null 2>&1 || true
    done
    for ((i = 0; i < runs; ++i)); do
        report_word=${ALTERNATE_REPORT_A:-painted} timed_run "$name_a" "${a[@]}" || return 1
        times_a+=("$elapsed")
        report_word=${ALTERNATE_REPORT_B:-painted} timed_run "$name_b" "${b[@]}" || return 1
        times_b+=("$elapsed")
    done
    local median_a median_b
    median_a=$(median "${times_a[@]}")
    median_b=$(median "${times_b[@]}")
    awk -v a="$median_a" -v b="$median_b" -v na="$name_a" -v nb="$name_b" -v n="$runs" 'BEGIN {
        printf "%-30s %9.2f ms (median of %d)\n%-30s %9.2f ms (median of %d)\nratio: %.2f\n", na, a / 1000, n, nb, b / 1000, n, a / b }'
}

# timed_run NAME COMMAND...: sets elapsed to the run's time in microseconds. The command runs
# as a plain child of this shell, as it would from a terminal.
timed_run() {
    local name=$1 start end report=/dev/null
    shift
    [[ ${ALTERNATE_UNTIL_REPORTED:-0} == 1 ]] && report="${TMPDIR:-/tmp}/alternate-report.$$"
    [[ -n ${ALTERNATE_BEFORE:-} ]] && eval "$ALTERNATE_BEFORE"
    start=${EPOCHREALTIME/./}
    "$@" >"$report" 2>/dev/null || { echo "$name failed" >&2; return 1; }
    end=${EPOCHREALTIME/./}
    if [[ $report != /dev/null ]]; then
        end=$(sed -n "s/^${report_word:-painted} \([0-9]*\)\$/\1/p" "$report")
        rm -f "$report"
        [[ -n $end ]] || { echo "$name did not report \"${report_word:-painted}\"" >&2; return 1; }
    fi
    elapsed=$(( end - start ))
}

median() {
    printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
