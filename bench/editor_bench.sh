#!/usr/bin/env bash
# Builds the Windows program and its editor benchmark and runs it under Wine (in Xvfb when
# there is no display): keystroke-to-repaint time at the end of a 50,000-line file, and the
# time to scroll that file a page at a time. Usage: bench/editor_bench.sh [BUILD-DIR]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
prepare_windows_bench "${1:-}" tarvo_editor_bench
trap 'stop_wine "$BENCH_BUILD"; stop_display' EXIT
"$BENCH_BUILD/wine-run.sh" "$BENCH_BUILD/tarvo_editor_bench.exe"
