#!/usr/bin/env bash
# One edit of torlo.exe through quorvex-cli against cp of torlo.exe, run alternately: an
# object's field (`objects set`) and a hack (`hacks set`). Both replace the game's program
# whole and flush it to the disk, which cp does not: the last pair is against a copy that is
# flushed too (dd conv=fsync). Before every run the other value is put back (untimed), so that
# each timed edit is a real change: a set of the value already there writes nothing.
# Usage: bench/edits.sh [build dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-20}"
source "$(dirname "$0")/alternate.sh"
with_demo_game "$build" $'MakePL=no\n'
exe="$(find "$scratch/game" -maxdepth 1 -iname torlo.exe)"
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
