#!/usr/bin/env bash
# Makefile generation: the composer natively beside gcc -MM, then the whole generation under
# Wine beside as many starts of a stand-in that does nothing.
# Usage: bench/makefile_bench.sh [SOURCES] [NATIVE-BUILD-DIR] [WINDOWS-BUILD-DIR]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
sources=${1:-1000}
native=${2:-$TARVO_BUILD/native}
cmake --build "$native" -j "$JOBS" --target tarvo_makefile_bench >/dev/null
"$native/bench/tarvo_makefile_bench" "$sources" 3
prepare_windows_bench "${3:-}" tarvo_makefile_bench_win
trap 'stop_wine "$BENCH_BUILD"; stop_display' EXIT
"$BENCH_BUILD/wine-run.sh" "$BENCH_BUILD/tarvo_makefile_bench_win.exe" "$sources"
