#!/usr/bin/env bash
# Kills velmarsk-cli in the middle of add, change (with a new start and with the same), delete,
# generate, sort and rebuild-index and checks that the logbook survives: at the K-th write (strace
# fault injection, every K in turn, in shuffled order) and at random moments. After each kill the logbook is opened again, answering the
# recovery question of an interrupted sort with Ja (--restore) or Nein in turn; then `check` must say
# "ok" and the flights must be those before the command or, where it is one change, those after it
# (generate: the flights before and some of the new ones, each whole).
#   scripts/killtest.sh [RUNS]     (default 120)
# Needs strace and jq and a build in ./build (velmarsk-cli). Prints each failed run with its
# scenario, kill point and answer, a table per scenario, and exits 1 when a run failed. The folders
# of failed runs are kept in build/killtest-failures/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-120}
cli="$root/build/src/cli/velmarsk-cli"
for tool in strace jq timeout; do
  command -v "$tool" >/dev/null || { echo "killtest.sh: $tool is needed" >&2; exit 2; }
done
[ -x "$cli" ] || { echo "killtest.sh: build velmarsk-cli first (scripts/build.sh build)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures="$root/build/killtest-failures"
rm -rf "$failures"
export XDG_DATA_HOME="$work/xdg"  # no run may reach the user's own logbook

flight_comment=Kill
# shellcheck source=lib/testlogbook.sh
source "$root/scripts/lib/testlogbook.sh"

# The logbook every run starts from, and what the commands are given.
base="$work/base"
make_base "$base"
flight 2010-05-05 420 "EDDH - EDHL" >"$work/add.json"
flight 2001-02-03 725 "ETHF - EDDH" >"$work/change.json"
# The first flight changed with its date and start kept: new landing time, new routing.
flight 1998-07-15 600 "ETHS - EDDH - ETHS" | sed 's/"Ata":660/"Ata":690/' >"$work/same.json"

scenarios=(add change change-same delete generate sort rebuild-index)
declare -A args=(
  [add]="add $work/add.json"
  [change]="change 4 $work/change.json"
  [change-same]="change 1 $work/same.json"
  [delete]="delete 3"
  [generate]="generate 5 --seed 99"
  [sort]="sort"
  [rebuild-index]="rebuild-index"
)
declare -A writes duration kpoints done failed failedat
dump "$base" >"$work/before"
for s in "${scenarios[@]}"; do
  # The expected logbook after the whole command, its writes and how long it takes.
  rm -rf "$work/run" && cp -a "$base" "$work/run"
  start=$(date +%s%N)
  # shellcheck disable=SC2086
  strace -f -qq -o "$work/trace" -e trace=write "$cli" --datadir "$work/run" ${args[$s]} >/dev/null 2>&1
  duration[$s]=$((($(date +%s%N) - start) / 1000000))
  writes[$s]=$(grep -c 'write(' "$work/trace" || true)
  dump "$work/run" >"$work/after-$s"
  kpoints[$s]=$(seq 1 "${writes[$s]}" | shuf | tr '\n' ' ')
  done[$s]=0
  failed[$s]=0
  failedat[$s]=""
done

# True when the flights after a kill are what the scenario allows.
flights_ok() {
  local s=$1 got=$2
  cmp -s "$got" "$work/before" && return 0
  if [ "$s" = generate ]; then
    # Every flight before is still there, and every other one is a whole new one.
    [ -z "$(comm -23 "$work/before" "$got")" ] && [ -z "$(comm -23 "$got" "$work/after-$s")" ]
    return
  fi
  cmp -s "$got" "$work/after-$s"
}

for ((i = 0; i < runs; i++)); do
  s=${scenarios[i % ${#scenarios[@]}]}
  n=${done[$s]}
  done[$s]=$((n + 1))
  answer=Nein
  restore=()
  if (((i / ${#scenarios[@]}) % 2 == 1)); then answer=Ja; restore=(--restore); fi
  run="$work/run"
  rm -rf "$run" && cp -a "$base" "$run"
  read -r -a points <<<"${kpoints[$s]}"
  if ((n % 4 != 3)); then
    # Every write in turn, then writes at random.
    w=$((n - n / 4))
    if ((w < ${#points[@]})); then k=${points[w]}; else k=$((1 + RANDOM % writes[$s])); fi
    point="write $k/${writes[$s]}"
    # shellcheck disable=SC2086
    # In a subshell, so the shell's note on the killed process goes nowhere.
    (strace -f -qq -o /dev/null -e inject=write:error=EIO:signal=KILL:when="$k" \
      "$cli" --datadir "$run" ${args[$s]} || true) >/dev/null 2>&1
  else
    ms=$((1 + RANDOM % (duration[$s] + 1)))
    point="after $ms ms"
    # shellcheck disable=SC2086
    (timeout -s KILL "$(printf '%d.%03d' $((ms / 1000)) $((ms % 1000)))" \
      "$cli" --datadir "$run" ${args[$s]} || true) >/dev/null 2>&1
  fi
  why=""
  if ! v "$run" "${restore[@]}" list >"$work/list" 2>"$work/open-err"; then
    why="opening failed: $(head -c 300 "$work/open-err" | tr '\n' ' ')"
  elif ! v "$run" check >"$work/check" 2>&1; then
    why="check: $(head -c 300 "$work/check" | tr '\n' ' ')"
  else
    dump "$run" >"$work/got"
    flights_ok "$s" "$work/got" ||
      why="flights differ ($(comm -3 "$work/got" "$work/before" | wc -l) lines from before, $(comm -3 "$work/got" "$work/after-$s" | wc -l) from after)"
  fi
  if [ -n "$why" ]; then
    failed[$s]=$((failed[$s] + 1))
    failedat[$s]+="${point%%/*}"$'\n'
    echo "FAIL $s, kill at $point, answer $answer: $why"
    mkdir -p "$failures" && cp -a "$run" "$failures/$i-$s"
  fi
done

total=0
bad=0
printf '\n%-14s %6s %6s %6s  %s\n' scenario writes runs failed "failed kill points"
for s in "${scenarios[@]}"; do
  # Each failed kill point once, with how often it failed: "write 3 (x5), after 12 ms".
  where=$(printf '%s' "${failedat[$s]}" | sort -t' ' -k1,1 -k2,2n | uniq -c |
    awk '{ n = $1; $1 = ""; sub(/^ /, ""); printf "%s%s%s", sep, $0, (n > 1 ? " (x" n ")" : ""); sep = ", " }')
  printf '%-14s %6d %6d %6d  %s\n' "$s" "${writes[$s]}" "${done[$s]}" "${failed[$s]}" "$where"
  total=$((total + done[$s]))
  bad=$((bad + failed[$s]))
done
printf '%-14s %6s %6d %6d\n' total "" "$total" "$bad"
[ "$bad" -eq 0 ]
