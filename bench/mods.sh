#!/usr/bin/env bash
# The mod list on the demo game with 50 entries (weapon plugins, two levels, a graphics and a
# sound mod):
#   switching entry 20 off (a rebuild that replays the other 49; its weapon is set by no other
#   entry, so torlo.exe changes), against cp of the file it changes, plain and flushed (before
#   every run the entry is switched back on, untimed);
#   listing the 50 entries, against cat of the list's file.
# Usage: bench/mods.sh [build dir] [runs]
# Goals: the switch at most 2x the cp it stands against; the listing at most 5 ms.
# Medians of 11 alternating runs on the shared 2-core machine, busy with other builds (2026-12-08),
# the builds before and after run one after the other:
#   before, every entry replayed through whole scratch games, each flushed with backups and a
#   journal: off 431 ms vs cp 3.9 ms (111x), vs cp synced 19.0 ms (27x); list 7.9 ms.
#   after, the scratch game staged in memory with no backups, journal or flush, each version
#   checked once, only the files that differ laid out for each entry, SHA-256 on the processor's
#   SHA instructions: off 92 ms vs cp 3.7 ms (25x), vs cp synced 15.3 ms (6.2x); list 3.4 ms
#   vs cat 1.5 ms. What is left: checking each entry's torlo.exe against its hash (about a
#   quarter of the CPU), the operation's own flushes (journal, store, history, list, game) and
#   the flushed copies of whole graphics and sound files into the scratch game.
#   later, on the idle machine, the scratch game's files never flushed (8 flushes instead of 12)
#   and each folder compared with the game's once (1,733 stat calls instead of 2,377): off
#   26.5 ms vs cp 2.32 ms (11.4x), vs cp synced 4.70 ms (5.0x); list 2.98 ms vs cat 1.45 ms. What
#   is left: the operation's 8 flushes (journal twice, game file and folder, list and folder,
#   history and folder), replaying the 49 entries' saves (each entry's game laid out and
#   compared) and SHA-256 of the versions checked (a fifth of the samples). With the files
#   journalled once: off 28.3 ms vs cp 2.44 ms (11.6x), vs cp synced 3.9x; list 4.3 ms.
set -euo pipefail
build="${1:-build}"
runs="${2:-10}"
source "$(dirname "$0")/alternate.sh"
with_demo_game "$build" $'MakePL=no\n'
game="$scratch/game"
q() { "$cli" --yes "$@" >/dev/null; }

for i in $(seq 1 46); do
    printf 'LWP\r\nVERSION:2\r\nWEAPON:%d\r\nAMMO:%d\r\nSPEED:%d\r\n' $((i % 40 + 1)) $((i % 9 + 1)) $((i * 3)) > "$scratch/P$i.LWP"
    q mods add "$scratch/P$i.LWP"
done
for mod in MEADOW.LEV SUNSET.LEV NEONGFX.CHR CRUNCHY.SND; do q mods add "$game/mods/$mod"; done
echo "entries: $("$cli" mods list | wc -l), conflicts: $("$cli" mods conflicts | wc -l)"
list_file=$(find "$scratch/data/backups" -name mods.txt)
mkdir "$scratch/copies"

echo "== switching entry 20 off (torlo.exe changes), against cp of torlo.exe"
ALTERNATE_BEFORE="'$cli' --yes mods on 20 >/dev/null" \
alternate "$runs" "quorvex-cli mods off 20" "cp torlo.exe" \
    -- "$cli" mods off 20 -- cp "$game/torlo.exe" "$scratch/copies/"
echo "== the same against cp of torlo.exe flushed to the disk (the switch flushes what it replaces)"
ALTERNATE_BEFORE="'$cli' --yes mods on 20 >/dev/null" \
alternate "$runs" "quorvex-cli mods off 20" "cp torlo.exe, synced" \
    -- "$cli" mods off 20 -- sh -c "cp '$game/torlo.exe' '$scratch/copies/' && sync '$scratch/copies/torlo.exe' '$scratch/copies'"
echo "== listing the 50 entries, against cat of the list's file"
alternate "$runs" "quorvex-cli mods list" "cat mods.txt" -- "$cli" mods list -- cat "$list_file"
