#!/usr/bin/env bash
# Runs every fuzz target built in build/fuzz for the given number of seconds (default 30),
# starting from the seed corpus in fuzz/corpus/<target> and keeping what it finds in
# build/fuzz/corpus/<target>. Prints executions per target; fails when any target found a fault.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
status=0
for binary in build/fuzz/fuzz/fuzz_*; do
  target=${binary##*/fuzz_}
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus" "fuzz/corpus/$target"
  log=build/fuzz/$target.log
  if "$binary" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=build/fuzz/ \
    "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    printf '%-16s ok    %s executions\n' "$target" \
      "$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  else
    printf '%-16s FAULT (see %s)\n' "$target" "$log"
    grep -m 5 -E 'ERROR|SUMMARY' "$log"
    status=1
  fi
done
exit $status
