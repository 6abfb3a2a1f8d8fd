#!/usr/bin/env bash
# Times zorbe against GNU sort (LC_ALL=C, both cores) on generated Shift-JIS corpora of 100 MB
# and 500 MB, and on the first one in UTF-8, side by side: each kind of work runs $RUNS times
# (default 3), the two tools taking turns, and the table shows the median wall time of each,
# their ratio, zorbe's CPU time and its peak memory against the input. Where GNU sort is an
# oracle (byte order, -u, -r, the EUC input converted by iconv) the outputs must be identical;
# for the UTF-8 input (syllabary order against code-point order) they must hold the same lines.
# Then the micro-benchmarks and the other bench_*.sh scripts run. ZORBE_BENCH_PROGRAM times
# another build of zorbe (an older one, say) on the same corpora.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/release
data=bench/data
sizes=${ZORBE_BENCH_SIZES:-"100 500"}
RUNS=${RUNS:-3}
mkdir -p "$data"
for mb in $sizes; do
  [ -f "$data/corpus$mb.txt" ] || "$build/bench/make_corpus" "$mb" "$data/corpus$mb.txt"
done
first=$(echo $sizes | cut -d' ' -f1)
# The same text in EUC-JP, in UTF-8 with LF line ends (as Unicode text usually comes) and in
# EUC-JIS-2004 (after the coding mark that names it), without the few generated codes that CP932
# does not assign (or, for EUC-JIS-2004, the NEC and IBM characters JIS X 0213 lacks). A UTF-8
# corpus made with CR LF, or an EUC-JIS-2004 one whose mark line ends in LF alone (the output
# would follow it), by an earlier version is made again.
if [ -f "$data/corpus$first-utf8.txt" ] && head -c 4096 "$data/corpus$first-utf8.txt" | grep -q $'\r'; then
  rm "$data/corpus$first-utf8.txt"
fi
if [ -f "$data/corpus$first-eucjis2004.txt" ] && ! head -1 "$data/corpus$first-eucjis2004.txt" | grep -q $'\r'; then
  rm "$data/corpus$first-eucjis2004.txt"
fi
for code in euc:EUC-JP utf8:UTF-8 eucjis2004:EUC-JISX0213; do
  if [ ! -f "$data/corpus$first-${code%%:*}.txt" ]; then
    : >"$data/code.tmp"
    [ "${code%%:*}" != eucjis2004 ] || printf ';; -*- coding: euc-jis-2004 -*-\r\n' >"$data/code.tmp"
    line_end=cat
    [ "${code%%:*}" != utf8 ] || line_end="sed s/\r\$//"
    { iconv -c -f CP932 -t "${code#*:}" "$data/corpus$first.txt" || true; } | $line_end >>"$data/code.tmp"
    mv "$data/code.tmp" "$data/corpus$first-${code%%:*}.txt"
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "${ZORBE_BENCH_PROGRAM:-$build/zorbe}" "$work/zorbe" # its folder is the program folder, with these settings
cat >"$work/zorbe.ini" <<'INI'
[bench-sort]
SortDirection=0
CharTypeOrder=0

[bench-unique]
SortDirection=0
CharTypeOrder=0
Duplicate=1

[bench-reverse]
SortDirection=1
CharTypeOrder=0

[bench-classes]
SortDirection=0

[bench-fold]
SortDirection=0
CharTypeOrder=0
Distinction=1

[bench-csv]
SortDirection=0
CharTypeOrder=0
CsvSupport=1
TargetCsvIndex=1

[bench-position]
SortDirection=0
CharTypeOrder=0
CharPos=1
CharPosCount=2

[bench-numbers]
SortDirection=0
CharTypeOrder=0
NumberOrder=1

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
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# bench NAME INPUT SETTING ORACLE GNU-COMMAND...: one row of the table.
bench() {
  local name=$1 input=$2 setting=$3 oracle=$4
  shift 4
  local bytes zw=() zc=() zp=() gw=() same=yes
  bytes=$(stat -L -c %s "$input") # the corpus may be a link
  cat "$input" >/dev/null # warm the page cache for both tools alike
  for ((i = 0; i < RUNS; i++)); do
    read -r wall _ _ < <(measure "$@")
    gw+=("$wall")
    rm -f "$work/zorbe.txt"
    read -r wall cpu peak < <(measure "$work/zorbe" /s "$setting" "$work/zorbe.txt" "$input")
    zw+=("$wall") zc+=("$cpu") zp+=("$peak")
    if [ "$oracle" = yes ] && ! cmp -s "$work/gnu.txt" "$work/zorbe.txt"; then
      same=NO
      status=1
    elif [ "$oracle" = lines ] && ! LC_ALL=C sort "$work/zorbe.txt" | cmp -s - "$work/gnu.txt"; then
      same=NO
      status=1
    fi
    rm -f "$work/gnu.txt" "$work/zorbe.txt"
  done
  [ "$oracle" != no ] || same=-
  local z g p
  z=$(median "${zw[@]}") g=$(median "${gw[@]}") p=$(median "${zp[@]}")
  printf '| %-30s | %8.2f | %8.2f | %6.2f | %8.2f | %7.2f | %-4s |\n' "$name" "$z" "$g" \
    "$(echo "$z / $g" | bc -l)" "$(median "${zc[@]}")" "$(echo "$p * 1024 / $bytes" | bc -l)" "$same"
}

status=0
printf 'median of %s runs each; the tools take turns\n\n' "$RUNS"
printf '| %-30s | %8s | %8s | %6s | %8s | %7s | %-4s |\n' work zorbe_s gnu_s ratio zorbe_cpu peak/in same
printf '|%s|%s|%s|%s|%s|%s|%s|\n' -------------------------------- ---------- ---------- -------- \
  ---------- --------- ------
gnu="$work/gnu.txt"
for mb in $sizes; do
  in="$data/corpus$mb.txt"
  bench "${mb} MB byte order / sort" "$in" bench-sort yes env LC_ALL=C sort "$in" -o "$gnu"
  [ "$mb" = "$first" ] || continue
  bench "${mb} MB Duplicate / sort -u" "$in" bench-unique yes env LC_ALL=C sort -u "$in" -o "$gnu"
  bench "${mb} MB reverse / sort -r" "$in" bench-reverse yes env LC_ALL=C sort -r "$in" -o "$gnu"
  bench "${mb} MB classes / sort" "$in" bench-classes no env LC_ALL=C sort "$in" -o "$gnu"
  bench "${mb} MB Distinction / sort -f" "$in" bench-fold no env LC_ALL=C sort -f "$in" -o "$gnu"
  bench "${mb} MB CSV key / sort -t, -k2" "$in" bench-csv no env LC_ALL=C sort -t, -k2 "$in" -o "$gnu"
  # The key from the third byte on; the separator \x01 never occurs, so each line is one field.
  bench "${mb} MB position / sort -k1.3" "$in" bench-position no \
    env LC_ALL=C sort -t $'\x01' -k1.3 "$in" -o "$gnu"
  euc="$data/corpus$mb-euc.txt"
  bench "${mb} MB EUC-JP / iconv | sort" "$euc" bench-sort yes \
    sh -c 'iconv -f EUC-JP -t CP932 "$1" | LC_ALL=C sort -o "$2"' - "$euc" "$work/gnu.txt"
  # zorbe reads UTF-8 into its internal form and writes UTF-8 back; GNU sort orders the bytes.
  utf8="$data/corpus$mb-utf8.txt"
  bench "${mb} MB UTF-8 / sort" "$utf8" bench-sort lines env LC_ALL=C sort "$utf8" -o "$gnu"
  bench "${mb} MB UTF-8 classes / sort" "$utf8" bench-classes lines \
    env LC_ALL=C sort "$utf8" -o "$gnu"
  # Every line prefixed by a random number from 0 to 99,999 and a space, numbers by value; GNU
  # sort -V orders the symbols and kana after the number otherwise, so only the times compare.
  numbered="$data/corpus$mb-numbered.txt"
  [ -f "$numbered" ] || LC_ALL=C awk 'BEGIN { srand(32) } { printf "%d %s\n", int(rand() * 100000), $0 }' \
    "$in" >"$numbered"
  bench "${mb} MB NumberOrder / sort -V" "$numbered" bench-numbers no \
    env LC_ALL=C sort -V "$numbered" -o "$gnu"
  # EUC-JIS-2004 is read through its tables and written as UTF-8 (the automatic output code).
  jis2004="$data/corpus$mb-eucjis2004.txt"
  bench "${mb} MB EUC-JIS-2004 / iconv | sort" "$jis2004" bench-sort lines \
    sh -c 'iconv -f EUC-JISX0213 -t UTF-8 "$1" | LC_ALL=C sort -o "$2"' - "$jis2004" "$work/gnu.txt"
done
[ -z "${ZORBE_BENCH_TABLE_ONLY:-}" ] || exit $status

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
