#!/usr/bin/env bash
# Times zorbe against GNU sort (LC_ALL=C, both cores) on generated Shift-JIS corpora of 100 MB
# and 500 MB and on the first one in UTF-8, checks that both outputs hold the same lines, and
# prints wall time, CPU time and peak memory of both; then runs the micro-benchmarks and the other bench_*.sh scripts.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/release
data=bench/data
sizes=${ZORBE_BENCH_SIZES:-"100 500"}
mkdir -p "$data"
for mb in $sizes; do
  [ -f "$data/corpus$mb.txt" ] || "$build/bench/make_corpus" "$mb" "$data/corpus$mb.txt"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/zorbe" "$work/zorbe" # its folder is the program folder, with these settings
cat >"$work/zorbe.ini" <<'INI'
[bench-sort]
SortDirection=0
CharTypeOrder=0

[bench-unique]
SortDirection=0
CharTypeOrder=0
Duplicate=1

[bench-convert]
SortDirection=0
CharTypeOrder=0
Pun=1
Num=1
Alpha=1
KataKana=1
AlphaUL=1

[bench-convert-full]
SortDirection=0
CharTypeOrder=0
Pun=2
Num=2
Alpha=2
KataKana=2
AlphaUL=2
INI

# Runs a command and prints "wall cpu peak_kb".
measure() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" </dev/null >/dev/null
  awk '{ printf "%.2f %.2f %d\n", $1, $2 + $3, $4 }' "$work/time"
}

printf '%-9s %-7s %-6s %8s %8s %9s %9s\n' corpus mode tool wall_s cpu_s peak_MB peak/input
status=0
for mb in $sizes; do
  input="$data/corpus$mb.txt"
  bytes=$(stat -c %s "$input")
  cat "$input" >/dev/null # warm the page cache for both tools alike
  for mode in sort unique; do
    flag=""
    [ "$mode" = unique ] && flag="-u"
    read -r gwall gcpu gpeak < <(measure env LC_ALL=C sort $flag "$input" -o "$work/gnu.txt")
    rm -f "$work/zorbe.txt"
    read -r zwall zcpu zpeak < <(measure "$work/zorbe" /s "bench-$mode" "$work/zorbe.txt" "$input")
    for row in "gnu $gwall $gcpu $gpeak" "zorbe $zwall $zcpu $zpeak"; do
      set -- $row
      printf '%-9s %-7s %-6s %8s %8s %9.1f %9.2f\n' "${mb}MB" "$mode" "$1" "$2" "$3" \
        "$(echo "$4 / 1024" | bc -l)" "$(echo "$4 * 1024 / $bytes" | bc -l)"
    done
    printf '%-9s %-7s %-6s %8.2f\n' "${mb}MB" "$mode" "ratio" "$(echo "$zwall / $gwall" | bc -l)"
    if ! cmp -s "$work/gnu.txt" "$work/zorbe.txt"; then
      echo "OUTPUTS DIFFER: $mb MB, $mode" >&2
      status=1
    fi
    rm -f "$work/gnu.txt" "$work/zorbe.txt"
  done
done

# The first corpus in UTF-8 (made with iconv): zorbe reads it into its internal form and writes
# UTF-8 back, GNU sort orders its bytes. The orders differ (syllabary against code points), so
# the outputs are compared as sets of lines.
first=$(echo $sizes | cut -d' ' -f1)
utf8="$data/corpus$first-utf8.txt"
[ -f "$utf8" ] || iconv -c -f CP932 -t UTF-8 "$data/corpus$first.txt" >"$utf8"
bytes=$(stat -c %s "$utf8")
cat "$utf8" >/dev/null
read -r gwall gcpu gpeak < <(measure env LC_ALL=C sort "$utf8" -o "$work/gnu.txt")
rm -f "$work/zorbe.txt"
read -r zwall zcpu zpeak < <(measure "$work/zorbe" /s bench-sort "$work/zorbe.txt" "$utf8")
for row in "gnu $gwall $gcpu $gpeak" "zorbe $zwall $zcpu $zpeak"; do
  set -- $row
  printf '%-9s %-7s %-6s %8s %8s %9.1f %9.2f\n' "${first}MB-u8" sort "$1" "$2" "$3" \
    "$(echo "$4 / 1024" | bc -l)" "$(echo "$4 * 1024 / $bytes" | bc -l)"
done
printf '%-9s %-7s %-6s %8.2f\n' "${first}MB-u8" sort ratio "$(echo "$zwall / $gwall" | bc -l)"
if ! LC_ALL=C sort "$work/zorbe.txt" | cmp -s - "$work/gnu.txt"; then
  echo "OUTPUTS DIFFER: $first MB UTF-8" >&2
  status=1
fi
rm -f "$work/gnu.txt" "$work/zorbe.txt"

# The cost of all five width and case conversions on a sort of the first corpus, each way: to
# half width and lower case, and to full width and upper case. Best wall time of three runs.
input="$data/corpus$first.txt"
best_wall() {
  local best="" wall
  for _ in 1 2 3; do
    rm -f "$work/zorbe.txt"
    read -r wall _ _ < <(measure "$work/zorbe" /s "$1" "$work/zorbe.txt" "$input")
    best=$(echo "$wall $best" | awk '{ print ($2 == "" || $1 < $2) ? $1 : $2 }')
  done
  rm -f "$work/zorbe.txt"
  echo "$best"
}
pwall=$(best_wall bench-sort)
echo
for setting in bench-convert bench-convert-full; do
  cwall=$(best_wall "$setting")
  printf '%sMB sort %.2f s, with all five conversions (%s) %.2f s: +%.0f%%\n' "$first" "$pwall" \
    "$setting" "$cwall" "$(echo "($cwall / $pwall - 1) * 100" | bc -l)"
done

echo
ZORBE_CORPUS="$data/corpus100.txt" "$build/bench/zorbe_bench"
for script in bench/bench_*.sh; do
  [ -f "$script" ] && bash "$script"
done
exit $status
