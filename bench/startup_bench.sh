#!/usr/bin/env bash
# Builds the Windows program, a minimal Win32 window program and the start-up benchmark, and
# runs it under Wine (in Xvfb when there is no display): the time to a visible frame that
# answers messages, tarvo.exe beside the minimal program. Usage: bench/startup_bench.sh [BUILD-DIR] [RUNS]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
build=${1:-}
if [ -z "$build" ]; then
  build_windows
  build=$TARVO_RUN_BUILD
fi
cmake --build "$build" -j "$JOBS" --target tarvo_startup_bench tarvo_minimal_window tarvo >/dev/null
ensure_display
trap 'stop_wine "$build"; stop_display' EXIT
"$build/wine-run.sh" "$build/tarvo_startup_bench.exe" "${2:-15}"
