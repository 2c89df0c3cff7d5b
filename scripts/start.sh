#!/usr/bin/env bash
# Sets up what is missing, builds tarvo.exe and starts it under Wine. With no X display it
# runs the program inside Xvfb, waits for its frame window, saves a screenshot to
# tarvo-screenshot.png, closes the program cleanly and says where the picture is.
set -euo pipefail
source "$(dirname "$0")/common.sh"

tarvo_setup
build_windows
wine_run=$TARVO_RUN_BUILD/wine-run.sh
exe=$TARVO_RUN_BUILD/root/bin/tarvo.exe

if [ -n "${DISPLAY:-}" ]; then
  say "starting $exe"
  exec "$wine_run" "$exe" "$@"
fi

ensure_display
trap 'stop_wine "$TARVO_RUN_BUILD"; stop_display' EXIT
shot=$TARVO_TOP/tarvo-screenshot.png
say "no display: starting tarvo.exe inside Xvfb ($DISPLAY)"
"$wine_run" "$exe" "$@" >"$TARVO_RUN_BUILD/tarvo.log" 2>&1 &
tarvo_pid=$!
if ! "$wine_run" "$TARVO_RUN_BUILD/tarvoctl.exe" wait-frame 90; then
  echo "tarvo.exe did not show its frame window; see $TARVO_RUN_BUILD/tarvo.log" >&2
  kill "$tarvo_pid" 2>/dev/null || true
  exit 1
fi
sleep 2  # let the first paint finish
import -window root "$shot"
"$wine_run" "$TARVO_RUN_BUILD/tarvoctl.exe" close 30 || { echo "tarvo.exe did not close" >&2; exit 1; }
wait "$tarvo_pid" || { echo "tarvo.exe ended with status $?" >&2; exit 1; }
say "tarvo.exe started and closed cleanly; screenshot: $shot"
