#!/usr/bin/env bash
# Builds the Windows program and its editor benchmark and runs it under Wine (in Xvfb when
# there is no display): keystroke-to-repaint time at the end of a 50,000-line file, and the
# time to scroll that file a page at a time. Usage: bench/editor_bench.sh [BUILD-DIR]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
build=${1:-}
if [ -z "$build" ]; then
  build_windows
  build=$TARVO_RUN_BUILD
fi
cmake --build "$build" -j "$JOBS" --target tarvo_editor_bench >/dev/null
ensure_display
trap 'stop_display' EXIT
"$build/wine-run.sh" "$build/tarvo_editor_bench.exe"
