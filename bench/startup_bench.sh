#!/usr/bin/env bash
# Builds the Windows program, a minimal Win32 window program and the start-up benchmark, and
# runs it under Wine (in Xvfb when there is no display): the time to a visible frame that
# answers messages, tarvo.exe beside the minimal program. Usage: bench/startup_bench.sh [BUILD-DIR] [RUNS]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
prepare_windows_bench "${1:-}" tarvo_startup_bench tarvo_minimal_window tarvo
trap 'stop_wine "$BENCH_BUILD"; stop_display' EXIT
"$BENCH_BUILD/wine-run.sh" "$BENCH_BUILD/tarvo_startup_bench.exe" "${2:-15}"
