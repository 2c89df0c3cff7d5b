#!/usr/bin/env bash
# The comparison viewer opening two 100,000-line files: time to its first paint, beside the
# comparison alone, and a move to the next change. Usage: bench/compare_viewer_bench.sh [RUNS] [WINDOWS-BUILD-DIR]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
prepare_windows_bench "${2:-}" tarvo_compare_viewer_bench_win
trap 'stop_wine "$BENCH_BUILD"; stop_display' EXIT
"$BENCH_BUILD/wine-run.sh" "$BENCH_BUILD/tarvo_compare_viewer_bench_win.exe" "${1:-5}"
