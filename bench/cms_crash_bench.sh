#!/usr/bin/env bash
# The version store's crash loop at length: its driver killed at random 1,000 times (or KILLS),
# the store checked after each kill; prints the kills, the time, the revisions made and what
# the kills left behind.
# Usage: bench/cms_crash_bench.sh [KILLS] [NATIVE-BUILD-DIR]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
native=${2:-$TARVO_BUILD/native}
cmake --build "$native" -j "$JOBS" --target tarvo_unit_tests >/dev/null
report=$(mktemp)
TARVO_CRASH_KILLS=${1:-1000} TARVO_CRASH_SECONDS=3600 \
  "$native/tarvo_unit_tests" --gtest_filter='CrashLoop.*' --gtest_output="xml:$report" | tail -n 3
grep -o 'property name="[a-zA-Z]*" value="[0-9]*"' "$report" | sed -E 's/property name="([a-zA-Z]*)" value="([0-9]*)"/\1 \2/'
rm -f "$report"
