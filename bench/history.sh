#!/usr/bin/env bash
# The history on the demo game, each against what it stands for, run alternately:
#   undo and redo of a hacks change (torlo.exe replaced whole and flushed), against a flushed
#   copy of torlo.exe (before every run the step is put back, untimed);
#   a real change with the history at its cap of 200 steps, against the same change on a game
#   whose history is well under the cap (before every run both values are put back, untimed).
# Medians of 21 on the idle 2-core machine (2026-12-08): undo 5.04 ms vs 2.27 ms (2.22x), redo
# 2.23x; a change at the cap 5.38 ms vs 4.73 ms (1.14x). Undo and redo make the 5 flushes of
# any change (a store entry, the journal, the game file and its folder, the history), and the
# CPU is idle, waiting for them, for more than half of the run; at the cap the oldest step is
# dropped, which rewrites the history and frees the versions only it used.
# Usage: bench/history.sh [build dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-20}"
source "$(dirname "$0")/alternate.sh"
with_demo_game "$build" $'MakePL=no\n'
exe="$(game_file torlo.exe)"
q() { "$cli" --yes "$@" >/dev/null 2>&1; }
flushed_copy=(dd if="$exe" of="$scratch/copy.exe" conv=fsync status=none)

q hacks set JETPACK=1
echo "== undo of a hacks change"
ALTERNATE_BEFORE="q redo || true" \
alternate "$runs" "quorvex-cli undo" "dd conv=fsync torlo.exe" -- "$cli" --yes undo -- "${flushed_copy[@]}"
echo "== redo of a hacks change"
ALTERNATE_BEFORE="q undo || true" \
alternate "$runs" "quorvex-cli redo" "dd conv=fsync torlo.exe" -- "$cli" --yes redo -- "${flushed_copy[@]}"

echo "== hacks set with 200 steps kept, against a game with a few"
"$build/bin/quorvex-demo-game" "$scratch/few" >/dev/null
for i in $(seq 1 210); do q hacks set "DIGGING=$((i % 9))"; done
echo "steps kept: $("$cli" history | wc -l)"
ALTERNATE_BEFORE="q hacks set JETPACK=0; q --game '$scratch/few' hacks set JETPACK=0" \
alternate "$runs" "hacks set at the cap" "hacks set, few steps" \
    -- "$cli" --yes hacks set JETPACK=1 -- "$cli" --yes --game "$scratch/few" hacks set JETPACK=1
