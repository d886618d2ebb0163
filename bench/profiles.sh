#!/usr/bin/env bash
# The store of file versions and profile switches, on the demo game:
#   the store's size after 100 hacks changes, against 100 plain copies of torlo.exe;
#   a profile switch that replaces the game's five files, against cp of the same five files
#   (both run alternately; before every run the game is switched back, untimed).
# Medians of 15 on the idle 2-core machine (2026-12-08): the store 1.04% of 100 copies; the
# switch 10.1 ms vs cp 2.95 ms (3.42x), vs the synced cp 2.04x. What is left is a flush per
# replaced file and its folder, the journal and the history, where the synced cp syncs once.
# Later, the files replaced together and journalled once (10 flushes instead of 17): 9.37 ms vs
# cp 2.80 ms (3.34x), vs the synced cp 1.78x; each new file's own flush is what is left.
# Usage: bench/profiles.sh [build dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-20}"
source "$(dirname "$0")/alternate.sh"
with_demo_game "$build" $'MakePL=no\n'
game="$scratch/game"
q() { "$cli" --yes "$@" >/dev/null; }

echo "== the store after 100 hacks changes"
for i in $(seq 1 100); do q hacks set "JETPACK=$((i % 2))" DIGGING="$((i % 9))"; done
exe_size=$(stat -c %s "$(game_file torlo.exe)")
store_size=$(du -sb "$scratch"/data/backups/*/store | cut -f1)
printf '%-34s %12d bytes\n' "store" "$store_size" "100 copies of torlo.exe" "$((100 * exe_size))"
echo "ratio: $(awk "BEGIN { printf \"%.4f\", $store_size / (100 * $exe_size) }")"

echo "== a profile switch of the files that differ (listed below), against cp of all five"
q activate "$game/mods/CANYON.LEV"
q profiles save base
mkdir "$scratch/base"
cp "$game"/torlo.exe "$game"/torlo.dat "$game"/TORLO.CHR "$game"/TORLO.SND "$game"/CANYON.LEV "$scratch/base/"
q hacks set JETPACK=1 DIGGING=5
q activate "$game/mods/NEONGFX.CHR"
q activate "$game/mods/CRUNCHY.SND"
q activate "$game/mods/SUNSET.LEV"
q profiles save modded
"$cli" profiles list
mkdir "$scratch/copies"
ALTERNATE_BEFORE="'$cli' --yes profiles switch modded >/dev/null; sync" \
alternate "$runs" "quorvex-cli profiles switch" "cp of the five files" \
    -- "$cli" profiles switch base -- cp "$scratch/base/torlo.exe" "$scratch/base/torlo.dat" "$scratch/base/TORLO.CHR" \
    "$scratch/base/TORLO.SND" "$scratch/base/CANYON.LEV" "$scratch/copies/"
echo "== the same against cp of the five files flushed to the disk (the switch flushes what it replaces)"
ALTERNATE_BEFORE="'$cli' --yes profiles switch modded >/dev/null; sync" \
alternate "$runs" "quorvex-cli profiles switch" "cp of the five files, synced" \
    -- "$cli" profiles switch base -- sh -c "cp '$scratch/base/torlo.exe' '$scratch/base/torlo.dat' '$scratch/base/TORLO.CHR' \
    '$scratch/base/TORLO.SND' '$scratch/base/CANYON.LEV' '$scratch/copies/' && sync '$scratch/copies'"
