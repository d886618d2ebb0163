#!/usr/bin/env bash
# Launch to the first painted window, and to ready for input (the work after the paint done),
# of Quorvex on the demo game beside a bare Qt window that shows one label, both left the
# moment they report it (no teardown), run alternately. Any day will do: the greeting waits
# for the first paint.
# Last, ready for input with 200,000 level files in the game folder against the same without:
# the folder is listed off the window's thread, so the window answers while the list fills.
# Medians of 21 on the idle 2-core machine (2026-12-08), offscreen: first paint 30.2 ms vs the
# bare window 16.5 ms (1.83x), ready 1.86x. Of the extra samples (perf, cpu-clock), the font
# system is the largest part: fontconfig, its XML parser, FreeType and HarfBuzz are 19% of
# Quorvex's samples and under 1% of the bare window's, whose one label needs no font look-up
# before its paint; Qt Gui's drawing is 11%; Quorvex's own code 0.4%.
# Usage: bench/startup.sh [build dir] [runs] [which: all, paint, big]
set -euo pipefail
build="${1:-build}"
runs="${2:-40}"
which="${3:-all}"
source "$(dirname "$0")/alternate.sh"
with_demo_game "$build"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export QUORVEX_EXIT_WHEN_SHOWN=1 ALTERNATE_UNTIL_REPORTED=1
if [[ $which != big ]]; then
echo "== launch to first paint"
alternate "$runs" "quorvex to first paint" "bare window to first paint" -- "$build/bin/quorvex" -- "$build/bin/minimal_window"
echo "== launch to ready for input, against the bare window's first paint"
QUORVEX_EXIT_WHEN_SHOWN=ready ALTERNATE_REPORT_A=ready \
    alternate "$runs" "quorvex to ready" "bare window to first paint" -- "$build/bin/quorvex" -- "$build/bin/minimal_window"

fi
[[ $which == paint ]] && exit 0

echo "== launch to ready with 200,000 levels in the game folder, against ready with none"
"$build/bin/quorvex-demo-game" "$scratch/big" >/dev/null
(cd "$scratch/big" && seq -f "M%06.0f.LEV" 1 200000 | xargs touch)
mkdir -p "$scratch/bigconfig/Morvane"
printf '[General]\nTorloPath=%s\n' "$scratch/big" > "$scratch/bigconfig/Morvane/Quorvex.conf"
QUORVEX_EXIT_WHEN_SHOWN=ready ALTERNATE_REPORT_A=ready ALTERNATE_REPORT_B=ready \
    alternate "$runs" "quorvex, 200,000 files" "quorvex, none" \
    -- env XDG_CONFIG_HOME="$scratch/bigconfig" "$build/bin/quorvex" -- "$build/bin/quorvex"
