#!/usr/bin/env bash
# Runs the test programs whose tests use threads, timers, signals or a window (those labelled
# with their program's name) N times in each of three conditions: as they are, pinned to one
# processor, and with every processor kept busy by stress-ng. Prints a table of runs and failures
# per program and condition, and keeps the output of each failed run. Fails when any run failed.
# BUILD_DIR names a build that scripts/test.sh has made (default: build).
# Usage: scripts/stress-tests.sh [N]    (N defaults to 20)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
build=${BUILD_DIR:-build}
[ -f "$build/CTestTestfile.cmake" ] || { echo "stress-tests: no tests in $build; run scripts/test.sh first" >&2; exit 2; }
logs=$(mktemp -d)
busy=""
trap '[ -z "$busy" ] || kill "$busy" 2>/dev/null; true' EXIT

mapfile -t programs < <(ctest --test-dir "$build" --print-labels | sed -n 's/^  //p')
conditions=("as they are" "one processor" "busy processors")

# Runs one program's tests once, as scripts/test.sh runs them, in the given condition.
run_once() {
  local condition=$1 program=$2 log=$3
  local prefix=()
  [ "$condition" = "one processor" ] && prefix=(taskset -c 0)
  "${prefix[@]}" ctest --test-dir "$build" -L "^$program\$" -j "$(nproc)" --output-on-failure >"$log" 2>&1
}

declare -A failures
total_failures=0
for condition in "${conditions[@]}"; do
  if [ "$condition" = "busy processors" ]; then
    stress-ng --cpu "$(nproc)" --quiet &
    busy=$!
  fi
  for program in "${programs[@]}"; do
    failures[$condition/$program]=0
    for run in $(seq "$runs"); do
      log="$logs/${program}.${condition// /-}.$run.log"
      if run_once "$condition" "$program" "$log"; then
        rm "$log"
      else
        failures[$condition/$program]=$((failures[$condition/$program] + 1))
        total_failures=$((total_failures + 1))
      fi
    done
  done
  if [ -n "$busy" ]; then
    kill "$busy"
    wait "$busy" 2>/dev/null || true
    busy=""
  fi
done

printf '%-24s %-16s %5s %9s\n' "test program" condition runs failures
for program in "${programs[@]}"; do
  for condition in "${conditions[@]}"; do
    printf '%-24s %-16s %5d %9d\n' "$program" "$condition" "$runs" "${failures[$condition/$program]}"
  done
done
if [ "$total_failures" -gt 0 ]; then
  echo "stress-tests: $total_failures failed runs; their output is in $logs"
  exit 1
fi
rm -r "$logs"
echo "stress-tests: every run passed"
