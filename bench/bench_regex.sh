#!/usr/bin/env bash
# Times a search-all of each benchmark pattern over the Shift-JIS corpus with regex_search_all
# and, for the ASCII-only patterns, with `LC_ALL=C grep -o -E` on the same bytes, and prints a
# table of the best of $RUNS runs (wall-clock seconds, the whole program including reading the
# file). grep counts bytes, not Shift-JIS characters, so its match count can differ where a
# trail byte looks like ASCII.
#
#   bench/bench_regex.sh            (builds the release tools and the corpus when missing)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build/release}
CORPUS=${ZORBE_CORPUS:-bench/data/corpus100.txt}
RUNS=${RUNS:-5}

if [[ ! -x $BUILD/bench/regex_search_all || ! -x $BUILD/bench/make_corpus ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target regex_search_all make_corpus
fi
if [[ ! -f $CORPUS ]]; then
  mkdir -p "$(dirname "$CORPUS")"
  "$BUILD/bench/make_corpus" 100 "$CORPUS"
fi

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# Best wall-clock time of $RUNS runs of a command; the command's output of the last run goes to
# the file named by $1.
best_time() {
  local out=$1 best="" start end t
  shift
  for ((i = 0; i < RUNS; i++)); do
    start=$(date +%s.%N)
    "$@" >"$out"
    end=$(date +%s.%N)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; print (b == "" || t < b) ? t : b }')
  done
  printf '%.3f' "$best"
}

grep_count() { LC_ALL=C grep -o -E "$1" "$CORPUS" | wc -l; }

TWENTY='the|and|for|are|but|not|you|all|any|can|her|was|one|our|out|day|get|has|him|his'
# name;pattern (UTF-8, converted to Shift-JIS);compare with grep
PATTERNS=(
  "literal word;abc;yes"
  "[0-9]+;[0-9]+;yes"
  "class of kana;[ァ-ヶ]+;no"
  "20 words;$TWENTY;yes"
  "ア.*ン;ア.*ン;no"
)

out=$(mktemp)
trap 'rm -f "$out"' EXIT
printf '%s, %s MB, best of %s runs\n\n' "$CORPUS" "$(($(stat -L -c %s "$CORPUS") / 1000000))" "$RUNS"
printf '| %-14s | %10s | %9s | %10s | %9s | %8s |\n' pattern matches "zorbe s" "grep -o" "grep s" speed-up
printf '|%s|%s|%s|%s|%s|%s|\n' ---------------- ------------ ----------- ------------ ----------- ----------
for entry in "${PATTERNS[@]}"; do
  IFS=';' read -r name pattern compare <<<"$entry"
  ours=$(best_time "$out" "$BUILD/bench/regex_search_all" "$(sjis "$pattern")" "$CORPUS")
  count=$(cat "$out")
  if [[ $compare == yes ]]; then
    theirs=$(best_time "$out" grep_count "$pattern")
    theirCount=$(tr -d ' ' <"$out")
    ratio=$(awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "%.1f", a / b }')
    printf '| %-14s | %10s | %9s | %10s | %9s | %7sx |\n' "$name" "$count" "$ours" "$theirCount" "$theirs" "$ratio"
  else
    printf '| %-14s | %10s | %9s | %10s | %9s | %8s |\n' "$name" "$count" "$ours" - - -
  fi
done
