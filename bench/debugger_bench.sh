#!/usr/bin/env bash
# The debugger: Go to the stop at a breakpoint, and stepping over a line with a long loop.
# Usage: bench/debugger_bench.sh [RUNS] [WINDOWS-BUILD-DIR]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
prepare_windows_bench "${2:-}" tarvo_debugger_bench_win
trap 'stop_wine "$BENCH_BUILD"; stop_display' EXIT
"$BENCH_BUILD/wine-run.sh" "$BENCH_BUILD/tarvo_debugger_bench_win.exe" "${1:-20}"
