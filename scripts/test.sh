#!/usr/bin/env bash
# Sets up what is missing, builds everything, and runs every test: native, native under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the Win32 tests under Wine. Ends with
# one line "N passed, N failed"; the exit status is non-zero when anything failed.
set -uo pipefail
source "$(dirname "$0")/common.sh"

tarvo_setup || { echo "set-up failed"; exit 1; }

passed=0
failed=0
# run_suite NAME BUILD-DIR: runs ctest there and adds its counts.
run_suite() {
  local name=$1 dir=$2 log=$2.ctest.log
  say "running the $name tests"
  (cd "$dir" && ctest --output-on-failure --timeout 300 -j "$JOBS") >"$log" 2>&1
  local status=$?
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    tail -n 40 "$log"
    echo "$name: ctest did not run (status $status)"
    failed=$((failed + 1))
    return
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  grep -E '^\s*[0-9]+ - .*\((Failed|SEGFAULT|Timeout|Subprocess|Exception|Not Run|Child)' "$log" || true
  if [ "$bad" != 0 ]; then
    grep -E -B5 -A25 '\[  FAILED  \]|\*\*\*Failed|\*\*\*Exception|Timeout' "$log" | head -200
  fi
  echo "$name: $((total - bad)) passed, $bad failed"
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

mkdir -p "$TARVO_BUILD"
say "building the native core and unit tests"
if configure_and_build "$TARVO_BUILD/native" -DCMAKE_BUILD_TYPE=Debug; then
  run_suite native "$TARVO_BUILD/native"
else
  echo "native build failed"; failed=$((failed + 1))
fi

say "building the native core under the sanitizers"
if configure_and_build "$TARVO_BUILD/native-asan" -DCMAKE_BUILD_TYPE=Debug -DTARVO_SANITIZE=ON; then
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite sanitizer "$TARVO_BUILD/native-asan"
else
  echo "sanitizer build failed"; failed=$((failed + 1))
fi

if build_windows; then
  ensure_display || failed=$((failed + 1))
  run_suite Wine "$TARVO_RUN_BUILD"
  stop_wine "$TARVO_RUN_BUILD"
  stop_display
else
  echo "Windows build failed"; failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
