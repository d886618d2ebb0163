#!/usr/bin/env bash
# sounds export-all (the 30 sounds of the bank as new WAV files) against cp of the bank, run
# alternately, both into an emptied folder (untimed emptying, synced, so that one run's
# write-back does not land on the next).
# Usage: bench/export_all.sh [build dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-20}"
source "$(dirname "$0")/alternate.sh"
with_demo_game "$build" $'MakePL=no\n'
bank="$(find "$scratch/game" -maxdepth 1 -iname torlo.snd)"
echo "== sounds export-all, 30 sounds into an empty folder"
ALTERNATE_BEFORE="rm -rf '$scratch/wavs' '$scratch/copy'; mkdir '$scratch/wavs' '$scratch/copy'; sync" \
alternate "$runs" "quorvex-cli sounds export-all" "cp TORLO.SND" \
    -- "$cli" sounds export-all "$scratch/wavs" -- cp "$bank" "$scratch/copy/TORLO.SND"
