#!/usr/bin/env bash
# sounds export-all (the 30 sounds of the bank as new WAV files) against cp of the bank, run
# alternately, both into an emptied folder (untimed emptying, synced, so that one run's
# write-back does not land on the next).
# Medians of 15 on the idle 2-core machine (2026-12-08): 2.65 ms vs cp 1.66 ms (1.60x). The
# process start is most of it: quorvex-cli --version alone takes 1.69 ms (the dynamic loader's
# processor look-ups, slow in a virtual machine, are 7% of an edit's samples); the 30 WAV files
# themselves take about 1 ms.
# Usage: bench/export_all.sh [build dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-20}"
source "$(dirname "$0")/alternate.sh"
with_demo_game "$build" $'MakePL=no\n'
bank="$(game_file torlo.snd)"
echo "== sounds export-all, 30 sounds into an empty folder"
ALTERNATE_BEFORE="rm -rf '$scratch/wavs' '$scratch/copy'; mkdir '$scratch/wavs' '$scratch/copy'; sync" \
alternate "$runs" "quorvex-cli sounds export-all" "cp TORLO.SND" \
    -- "$cli" sounds export-all "$scratch/wavs" -- cp "$bank" "$scratch/copy/TORLO.SND"
