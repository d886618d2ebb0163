#!/usr/bin/env bash
# The browser's listing of 20,000 mod files (one read of the folder, mask, sort by extension)
# against a plain read and sort of the same folder, in process, the two interleaved at random.
# Usage: bench/listing.sh [build dir]
set -euo pipefail
build="${1:-build}"
"$build/bin/browser_bench" --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep -E "median|Benchmark"
