#!/usr/bin/env bash
# One edit of torlo.exe through quorvex-cli against cp of torlo.exe, run alternately: an
# object's field (`objects set`) and a hack (`hacks set`). Both replace the game's program
# whole and flush it to the disk, which cp does not: the last pair is against a copy that is
# flushed too (dd conv=fsync). Before every run the other value is put back (untimed), so that
# each timed edit is a real change: a set of the value already there writes nothing.
# Medians of 21 on the idle 2-core machine (2026-12-08, later): objects set 5.17 ms vs cp 2.04 ms
# (2.53x), hacks set 2.82x, objects set vs a flushed copy 2.36x. What is left is the flushes
# that order the guarantees (a store entry, the journal, the game file and its folder, the
# history: 5 fsync calls against the copy's 1), during which the processor is idle for more
# than half of the run (perf, cpu-clock, all processors), and the process start; SHA-256 is
# 2.4% of the samples. A change makes 361 system calls (507 before the keeper's folder was
# worked out once).
# Usage: bench/edits.sh [build dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-20}"
source "$(dirname "$0")/alternate.sh"
with_demo_game "$build" $'MakePL=no\n'
exe="$(game_file torlo.exe)"
echo "== objects set 0 BLOOD=3"
ALTERNATE_BEFORE="\"\$cli\" objects set 0 BLOOD=2 >/dev/null" \
alternate "$runs" "quorvex-cli objects set" "cp torlo.exe" \
    -- "$cli" objects set 0 BLOOD=3 -- cp "$exe" "$scratch/copy.exe"
echo "== hacks set JETPACK=1"
ALTERNATE_BEFORE="\"\$cli\" hacks set JETPACK=0 >/dev/null" \
alternate "$runs" "quorvex-cli hacks set" "cp torlo.exe" \
    -- "$cli" hacks set JETPACK=1 -- cp "$exe" "$scratch/copy.exe"
echo "== objects set 0 BLOOD=3, against a flushed copy"
ALTERNATE_BEFORE="\"\$cli\" objects set 0 BLOOD=2 >/dev/null" \
alternate "$runs" "quorvex-cli objects set" "dd conv=fsync torlo.exe" \
    -- "$cli" objects set 0 BLOOD=3 -- dd if="$exe" of="$scratch/copy.exe" conv=fsync status=none
