#!/usr/bin/env bash
# Conversions through quorvex-cli against cp of the same bytes, run alternately:
#   one level to a bitmap   against  cp of that bitmap
#   convert-all on 1,000 levels  against  cp of the 1,000 bitmaps
# Usage: bench/cli.sh [build dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-40}"
source "$(dirname "$0")/alternate.sh"
with_demo_game "$build" $'MakePL=no\n'
mkdir -p "$scratch/levels" "$scratch/bitmaps" "$scratch/out" "$scratch/copies"
level="$scratch/game/mods/MEADOW.LEV"
"$cli" convert "$level" "$scratch/reference.bmp" >/dev/null
for i in $(seq -w 1 1000); do
    cp "$level" "$scratch/levels/L$i.LEV"
    cp "$scratch/reference.bmp" "$scratch/bitmaps/L$i.bmp"
done
echo "== one conversion, level to bitmap"
alternate "$runs" "quorvex-cli convert" "cp of the bitmap" \
    -- "$cli" convert "$level" "$scratch/one.bmp" -- cp "$scratch/reference.bmp" "$scratch/copy.bmp"
# Both sides write 1,000 new files into emptied folders (untimed emptying, synced, so that one
# run's write-back does not land on the next); then both write over the files of their last
# run, where convert-all replaces each file whole (a new file renamed over the old one, so that
# an interrupted run never leaves a half-written one) and cp overwrites in place.
echo "== convert-all, 1,000 levels into an empty folder"
ALTERNATE_BEFORE="rm -rf '$scratch/out' '$scratch/copies'; mkdir '$scratch/out' '$scratch/copies'; sync" \
alternate "$(( (runs + 3) / 4 ))" "quorvex-cli convert-all" "cp of the 1,000 bitmaps" \
    -- "$cli" convert-all "$scratch"/levels/*.LEV --to "$scratch/out" -- cp "$scratch"/bitmaps/*.bmp "$scratch/copies"
echo "== convert-all, 1,000 levels over the files of the last run"
ALTERNATE_BEFORE="sync" \
alternate "$(( (runs + 3) / 4 ))" "quorvex-cli convert-all" "cp of the 1,000 bitmaps" \
    -- "$cli" convert-all "$scratch"/levels/*.LEV --to "$scratch/out" -- cp "$scratch"/bitmaps/*.bmp "$scratch/copies"
