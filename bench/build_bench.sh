#!/usr/bin/env bash
# A build through the program (F9 to the success line) beside the same compiler and linker
# runs made by a batch file, and a 64 KB message file listed.
# Usage: bench/build_bench.sh [SOURCES] [RUNS] [WINDOWS-BUILD-DIR]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
prepare_windows_bench "${3:-}" tarvo_build_bench_win
trap 'stop_wine "$BENCH_BUILD"; stop_display' EXIT
"$BENCH_BUILD/wine-run.sh" "$BENCH_BUILD/tarvo_build_bench_win.exe" "${1:-20}" "${2:-3}"
