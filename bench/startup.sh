#!/usr/bin/env bash
# Start-up time of Quorvex on the demo game (start to first shown window) beside a minimal Qt
# window program, in one hyperfine run. Usage: bench/startup.sh [build dir]
set -euo pipefail
build="${1:-build}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$build/bin/quorvex-demo-game" "$scratch/game" >/dev/null
mkdir -p "$scratch/config/Morvane"
printf '[General]\nTorloPath=%s\n' "$scratch/game" > "$scratch/config/Morvane/Quorvex.conf"
export XDG_CONFIG_HOME="$scratch/config" QUORVEX_DATA_DIR="$scratch/data" QT_QPA_PLATFORM=offscreen
export QUORVEX_EXIT_WHEN_SHOWN=1
hyperfine --warmup 3 --runs 30 -N "$build/bin/minimal_window" "$build/bin/quorvex"
