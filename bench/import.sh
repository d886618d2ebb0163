#!/usr/bin/env bash
# sounds import of 10 s of 44.1 kHz 16-bit stereo (noise, so every frequency is there to
# resample) into the game's bank, against sox converting the same file to what the bank holds
# (22050 per second, mono, 8-bit signed), run alternately. Without sox only the import is timed.
# Usage: bench/import.sh [build dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-10}"
source "$(dirname "$0")/alternate.sh"
with_demo_game "$build" $'MakePL=no\n'

# A WAV header (little-endian fields) for 16-bit stereo at 44100 per second, then the frames.
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 >> 16 & 255)))\\x$(printf %02x $(($1 >> 24 & 255)))"; }
bytes=$((10 * 44100 * 4))
{
    printf 'RIFF'; le32 $((36 + bytes)); printf 'WAVEfmt '; le32 16
    printf '\x01\x00\x02\x00'; le32 44100; le32 $((44100 * 4)); printf '\x04\x00\x10\x00'
    printf 'data'; le32 "$bytes"
    head -c "$bytes" /dev/urandom
} > "$scratch/in.wav"

echo "== sounds import, 10 s of 44.1 kHz 16-bit stereo"
if command -v sox >/dev/null; then
    alternate "$runs" "quorvex-cli sounds import" "sox to 22050 mono 8-bit" \
        -- "$cli" sounds import 3 "$scratch/in.wav" -- sox "$scratch/in.wav" -r 22050 -c 1 -b 8 -e signed "$scratch/out.raw"
else
    echo "sox is not installed: the import alone"
    alternate "$runs" "quorvex-cli sounds import" "true" -- "$cli" sounds import 3 "$scratch/in.wav" -- true
fi
