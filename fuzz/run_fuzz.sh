#!/usr/bin/env bash
# Runs every fuzz target built in build/fuzz for the given number of seconds (default 30), as
# many at once as there are processors, starting from the seed corpus in fuzz/corpus/<target>
# and keeping what it finds in build/fuzz/corpus/<target>. Prints the executions of each target;
# fails when any target found a fault.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

run_one() { # binary
  local target=${1##*/fuzz_} seconds=$2
  local corpus=build/fuzz/corpus/$target log=build/fuzz/$target.log
  mkdir -p "$corpus"
  if "$1" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="build/fuzz/$target-" \
    "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    printf '%-16s ok    %s executions in %s s\n' "$target" \
      "$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")" "$seconds"
  else
    printf '%-16s FAULT (see %s)\n' "$target" "$log"
    grep -m 5 -E 'ERROR|SUMMARY' "$log"
    return 1
  fi
}
export -f run_one

ls build/fuzz/fuzz/fuzz_* | grep -v '\.' | xargs -P "$(nproc)" -I{} bash -c 'run_one "$1" "$2"' _ {} "$seconds"
