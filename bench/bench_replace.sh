#!/usr/bin/env bash
# Times the replacement pass of a sort job against `LC_ALL=C sed -E` on the Shift-JIS corpus.
#
# The pass is timed through the program: a job with the rules minus the same job without them
# (order "none", so nothing is sorted), best of $RUNS runs each. Two rule files:
# - ascii: 16 ASCII-only rules (literal words, [0-9]+, classes, an alternation, a line anchor),
#   look-alike matching off; sed runs the same edits, one s///g per rule, on the same bytes
#   (sed reads bytes, so its classes also hit Shift-JIS trail bytes: the outputs differ there);
# - all: those plus a kana class, a katakana class and two literal Japanese words, with the basic
#   look-alike dictionary on (every literal is widened to its look-alike forms), on 100 MB and
#   200 MB to show that the pass is linear in the text;
# - literal: the 1,000 most frequent ASCII words of four letters or more in the 100 MB corpus,
#   each replaced by a tag, against `sed -f` with the same 1,000 s///g commands (sed needs
#   minutes for it, so it runs once).
#
#   bench/bench_replace.sh          (builds the release program and the corpora when missing)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build/release}
RUNS=${RUNS:-3}
data=bench/data

if [[ ! -x $BUILD/zorbe || ! -x $BUILD/bench/make_corpus ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target zorbe make_corpus
fi
mkdir -p "$data"
for mb in 100 200; do
  [[ -f $data/corpus$mb.txt ]] || "$BUILD/bench/make_corpus" "$mb" "$data/corpus$mb.txt"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$BUILD/zorbe" "$work/zorbe"

ascii_rules=(
  '[0-9]+,#' 'ab,AB' 'xyz,zyx' 'Qu,qu' 'foo,bar' '",",;' '"""",'"'" '[A-Z][a-z]+,<&>'
  '" +"," "' 'q,Q' 'zz,z' '[xX]+,x' '(ab|cd)e,&&' '^abc,ABC' 'k[aeiou],K' 'ing,ING'
)
japanese_rules=('[ぁ-ん]+,ひ' '[ァ-ヶ]+,カ' '漢字,かんじ' 'あい,アイ')
sed_script=(
  's/[0-9]+/#/g' 's/ab/AB/g' 's/xyz/zyx/g' 's/Qu/qu/g' 's/foo/bar/g' 's/,/;/g' "s/\"/'/g"
  's/[A-Z][a-z]+/<&>/g' 's/ +/ /g' 's/q/Q/g' 's/zz/z/g' 's/[xX]+/x/g' 's/(ab|cd)e/&&/g'
  's/^abc/ABC/g' 's/k[aeiou]/K/g' 's/ing/ING/g'
)
printf '%s\r\n' "${ascii_rules[@]}" >"$work/ascii.txt"
printf '%s\r\n' "${ascii_rules[@]}" "${japanese_rules[@]}" | iconv -f UTF-8 -t CP932 >"$work/all.txt"
printf '%s\n' "${sed_script[@]}" >"$work/rules.sed"
cat >"$work/zorbe.ini" <<INI
[bench-none]
SortDirection=2

[bench-ascii]
SortDirection=2
Replacement=$work/ascii.txt

[bench-all]
SortDirection=2
Replacement=$work/all.txt
BaseFuzzyCharDicUses=1

[bench-literal]
SortDirection=2
Replacement=$work/literal.txt
INI

# Best wall-clock seconds of $RUNS runs of a command.
best() {
  local best="" start end
  for ((i = 0; i < RUNS; i++)); do
    rm -f "$work/out.txt"
    start=$(date +%s.%N)
    "$@" </dev/null >/dev/null
    end=$(date +%s.%N)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; print (b == "" || t < b) ? t : b }')
  done
  printf '%.3f' "$best"
}
job() { best "$work/zorbe" /s "bench-$1" "$work/out.txt" "$2"; }

printf '\n%-8s %-6s %9s %9s %9s\n' corpus rules job_s pass_s sed_s
for mb in 100 200; do
  input=$data/corpus$mb.txt
  cat "$input" >/dev/null
  none=$(job none "$input")
  ascii=$(job ascii "$input")
  all=$(job all "$input")
  sed_s=$(best env LC_ALL=C sed -E -f "$work/rules.sed" "$input")
  ascii_pass=$(echo "$ascii - $none" | bc -l)
  all_pass=$(echo "$all - $none" | bc -l)
  printf '%-8s %-6s %9.3f\n' "${mb}MB" none "$none"
  printf '%-8s %-6s %9.3f %9.3f %9.3f   sed/pass %.2f\n' "${mb}MB" ascii "$ascii" "$ascii_pass" \
    "$sed_s" "$(echo "$sed_s / $ascii_pass" | bc -l)"
  printf '%-8s %-6s %9.3f %9.3f\n' "${mb}MB" all "$all" "$all_pass"
  eval "pass_$mb=$all_pass"
done
printf 'all rules, 200 MB / 100 MB pass time: %.2f\n' "$(echo "$pass_200 / $pass_100" | bc -l)"

input=$data/corpus100.txt
LC_ALL=C grep -o -E '[A-Za-z]{4,}' "$input" | LC_ALL=C sort | LC_ALL=C uniq -c | LC_ALL=C sort -rn |
  awk 'NR <= 1000 { print $2 }' >"$work/words.txt"
awk '{ printf "%s,<%d>\r\n", $1, NR }' "$work/words.txt" >"$work/literal.txt"
awk '{ printf "s/%s/<%d>/g\n", $1, NR }' "$work/words.txt" >"$work/literal.sed"
none=$(job none "$input")
literal=$(job literal "$input")
literal_pass=$(echo "$literal - $none" | bc -l)
start=$(date +%s.%N)
LC_ALL=C sed -f "$work/literal.sed" "$input" >/dev/null
sed_literal=$(echo "$(date +%s.%N) - $start" | bc -l)
printf '\n1,000 literal rules on 100 MB: pass %.3f s, sed -f %.3f s, pass/sed %.3f\n' \
  "$literal_pass" "$sed_literal" "$(echo "$literal_pass / $sed_literal" | bc -l)"
