#!/usr/bin/env bash
# Large and odd inputs: each one is sorted (or refused with a message) and its wall time and
# peak memory are printed as Markdown tables for docs/limits.md. Needs about 6 GB of disk in
# bench/data/stress and about 4 GB of memory; the texts larger than their memory budget need
# more disk for their runs in $TMPDIR (else /var/tmp), and the 10 GB one about 32 GB, or it is
# skipped with a message.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/release
data=bench/data/stress
mkdir -p "$data"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/zorbe" "$work/zorbe"
cat >"$work/zorbe.ini" <<'INI'
[plain]
SortDirection=0
CharTypeOrder=1

[rules]
SortDirection=0
Replacement=RULES

[fuzzy]
SortDirection=0
Replacement=FUZZYRULES
FuzzyCharDic=FUZZYDIC
BaseFuzzyCharDicUses=1
INI

sjis() { iconv -f UTF-8 -t CP932; }

# Inputs, made once.
[ -f "$data/2gb.txt" ] || "$build/bench/make_corpus" 2000 "$data/2gb.txt"
[ -f "$data/corpus100.txt" ] || "$build/bench/make_corpus" 100 "$data/corpus100.txt"
[ -f "$data/corpus10.txt" ] || "$build/bench/make_corpus" 10 "$data/corpus10.txt"
[ -f "$data/one-50mb-line.txt" ] || head -c 52428800 /dev/zero | tr '\0' 'a' >"$data/one-50mb-line.txt"
# (yes ends on SIGPIPE when head has enough, which pipefail would take for a failure)
[ -f "$data/20m-empty-lines.txt" ] || { yes '' || true; } | head -n 20000000 | sed 's/$/\r/' >"$data/20m-empty-lines.txt"
[ -f "$data/no-line-end.txt" ] || { printf 'zyx%.0s' $(seq 1 1000) | head -c 2999; } >"$data/no-line-end.txt"
if [ ! -d "$data/many" ]; then
  for i in $(seq 0 9999); do
    dir="$data/many/$((i / 1000))/$((i / 100 % 10))"
    mkdir -p "$dir"
    printf 'line %d\r\nsecond %d\r\n' $((i * 7919 % 10007)) "$i" >"$dir/f$i.txt"
  done
fi
if [ ! -f "$data/5000-rules.txt" ]; then
  for i in $(seq 1 5000); do printf 'w%dq,W%dQ\r\n' "$i" "$i"; done >"$data/5000-rules.txt"
fi
if [ ! -f "$data/10000-groups.txt" ]; then
  for i in $(seq 1 10000); do printf 'g%dx,G%dX,g%dX\r\n' "$i" "$i" "$i"; done >"$data/10000-groups.txt"
  printf 'g1x,-\r\ng9999x,+\r\n' >"$data/fuzzy-rules.txt"
fi
sed -i "s|^Replacement=RULES|Replacement=$PWD/$data/5000-rules.txt|; s|^Replacement=FUZZYRULES|Replacement=$PWD/$data/fuzzy-rules.txt|; s|^FuzzyCharDic=FUZZYDIC|FuzzyCharDic=$PWD/$data/10000-groups.txt|" "$work/zorbe.ini"

echo "| input | size | result | wall s | peak MB | peak / input |"
echo "|---|---|---|---|---|---|"
run() { # name, input size in bytes, command...
  local name=$1 bytes=$2
  shift 2
  set +e
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" </dev/null >"$work/out.log" 2>&1
  local status=$?
  set -e
  read -r wall peak <"$work/time"
  local result="exit $status"
  [ $status -ne 0 ] && result="exit $status: $(head -c 120 "$work/out.log" | tr '\n' ' ')"
  printf '| %s | %s | %s | %s | %.0f | %s |\n' "$name" "$(numfmt --to=iec "$bytes")" "$result" "$wall" \
    "$(echo "$peak / 1024" | bc -l)" "$(echo "scale=2; $peak * 1024 / ($bytes + 1)" | bc -l)"
  rm -f "$work"/out*.txt
}
size() { du -sb "$1" | cut -f1; }

run "2 GB target file" "$(size "$data/2gb.txt")" "$work/zorbe" /s plain "$work/out.txt" "$data/2gb.txt"
run "one 50 MB line" "$(size "$data/one-50mb-line.txt")" "$work/zorbe" /s plain "$work/out.txt" "$data/one-50mb-line.txt"
run "20 million empty lines" "$(size "$data/20m-empty-lines.txt")" "$work/zorbe" /s plain "$work/out.txt" "$data/20m-empty-lines.txt"
run "no line end at all" "$(size "$data/no-line-end.txt")" "$work/zorbe" /s plain "$work/out.txt" "$data/no-line-end.txt"
run "10,000 files in nested folders: adding" "$(size "$data/many")" "$build/bench/stress_add_files" "$data/many"
mapfile -t many < <(find "$data/many" -type f | sort)
run "10,000 files in nested folders: sorting" "$(size "$data/many")" "$work/zorbe" /s plain "$work/out.txt" "${many[@]}"
# Every rule is a pass over the whole text: 5,000 of them run on 10 MB.
run "5,000 replacement rules on 10 MB" "$(size "$data/corpus10.txt")" "$work/zorbe" /s rules "$work/out.txt" "$data/corpus10.txt"
run "10,000 look-alike groups on 100 MB" "$(size "$data/corpus100.txt")" "$work/zorbe" /s fuzzy "$work/out.txt" "$data/corpus100.txt"

# Texts larger than their memory budget, sorted in runs on disk, side by side with LC_ALL=C sort
# given the same budget and the same temporary folder.
scratch=${TMPDIR:-/var/tmp}
avail() { df -B1 --output=avail "$1" | tail -n 1; }
external() { # name, input, budget, whether to compare with the in-memory output
  local name=$1 input=$2 budget=$3 compare=$4 bytes zwall swall
  bytes=$(size "$input")
  run "$name: zorbe --memory=$budget" "$bytes" "$work/zorbe" --memory="$budget" \
    --temporary-directory="$scratch" /s plain "$work/external.txt" "$input"
  read -r zwall _ <"$work/time"
  if [ "$compare" = yes ]; then
    "$work/zorbe" /s plain "$work/in-memory.txt" "$input" </dev/null >/dev/null 2>&1
    if cmp -s "$work/external.txt" "$work/in-memory.txt"; then same="the same bytes"; else same="DIFFERENT"; fi
    rm -f "$work/in-memory.txt"
  fi
  rm -f "$work/external.txt"
  run "$name: LC_ALL=C sort -S $budget" "$bytes" env LC_ALL=C sort -S "$budget" -T "$scratch" \
    -o "$work/out-sort.txt" "$input"
  read -r swall _ <"$work/time"
  external_notes+=("$name: zorbe / sort wall time $(echo "scale=2; $zwall / $swall" | bc -l)${compare:+; output and in-memory output: $same}")
}
external_notes=()
echo
echo "| larger than the memory budget | size | result | wall s | peak MB | peak / input |"
echo "|---|---|---|---|---|---|"
external "2 GB" "$data/2gb.txt" 256M yes
if [ -f "$data/10gb.txt" ] || [ "$(avail "$data")" -ge $((32 << 30)) ]; then
  [ -f "$data/10gb.txt" ] || "$build/bench/make_corpus" 10000 "$data/10gb.txt"
  if [ "$(avail "$scratch")" -ge $((21 << 30)) ]; then
    external "10 GB" "$data/10gb.txt" 1G ""
  else
    echo "| 10 GB | skipped: less than 21 GB free in $scratch for the runs and the output |"
  fi
else
  echo "| 10 GB | skipped: less than 32 GB free in $data for the input, the runs and the output |"
fi
echo
printf '%s\n' "${external_notes[@]}"
