#!/usr/bin/env bash
# The binary editor on 100 MB files: natively its search beside grep -c -F and its Change beside
# cp (tarvo_binary_view_bench), then under Wine the window's first rows, the search beside a
# plain read and the Change beside CopyFile. Usage: bench/binary_view_bench.sh [RUNS] [WINDOWS-BUILD-DIR]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
native=${TARVO_BUILD}/native
[ -d "$native" ] || configure_and_build "$native" -DCMAKE_BUILD_TYPE=Debug
cmake --build "$native" -j "$JOBS" --target tarvo_binary_view_bench >/dev/null
"$native/bench/tarvo_binary_view_bench" "${1:-5}"
prepare_windows_bench "${2:-}" tarvo_binary_view_bench_win
trap 'stop_wine "$BENCH_BUILD"; stop_display' EXIT
"$BENCH_BUILD/wine-run.sh" "$BENCH_BUILD/tarvo_binary_view_bench_win.exe" "${1:-5}"
