#!/usr/bin/env bash
# "changes --against" (every table of two games compared field by field) against cmp of the
# same four files (torlo.exe, torlo.dat, TORLO.CHR, TORLO.SND), run alternately:
#   two games that differ in every area   and   two identical games.
# Usage: bench/changes.sh [build dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-40}"
source "$(dirname "$0")/alternate.sh"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cli="$build/bin/quorvex-cli"
export XDG_CONFIG_HOME="$scratch/config" QUORVEX_DATA_DIR="$scratch/data"
for game in before after same; do "$build/bin/quorvex-demo-game" "$scratch/$game" >/dev/null; done
edit() { "$cli" --yes --game "$scratch/after" "$@" >/dev/null; }
edit weapons set 3 NAME=ZAPPER SPEED=777
edit objects set 23 HITDAMAGE=77
edit sobjects set 0 ANIMDELAY=5
edit ai set MINRANGE=-7
edit hacks set DIGGING=31
edit texts set 7 "Sound is off!!"
edit palette set 5 200 12 4
edit materials set 9 KIND=3
edit blood 1000
for mod in MEADOW.LEV NEONGFX.CHR CRUNCHY.SND; do edit activate "$scratch/after/mods/$mod"; done
echo "changes listed: $("$cli" --game "$scratch/after" changes --against "$scratch/before" | wc -l)"
# cmp -l lists every byte that differs, as the comparison looks at every byte; sh runs the four.
echo "== two games that differ in every area"
alternate "$runs" "quorvex-cli changes --against" "cmp -l of the 4 files" \
    -- "$cli" --game "$scratch/after" changes --against "$scratch/before" \
    -- sh -c 'for f in torlo.exe torlo.dat TORLO.CHR TORLO.SND; do cmp -l "$1/$f" "$2/$f"; done; true' cmp "$scratch/before" "$scratch/after"
echo "== two identical games"
alternate "$runs" "quorvex-cli changes --against" "cmp -l of the 4 files" \
    -- "$cli" --game "$scratch/same" changes --against "$scratch/before" \
    -- sh -c 'for f in torlo.exe torlo.dat TORLO.CHR TORLO.SND; do cmp -l "$1/$f" "$2/$f"; done; true' cmp "$scratch/before" "$scratch/same"
