#!/usr/bin/env bash
# Makes reads of the logbook's files fail under velmarsk-cli: at the K-th read of one of them (strace
# fault injection, every K in turn, in shuffled order), a read fails with EIO, or returns fewer bytes
# than asked without reading them (garbage in the buffer), or it and every read after it fail (a
# damaged spot on the disk); all of it with the files mapped into memory and with mapping refused.
# Afterwards, in a clean run:
#   - a command that only reads left every file of the logbook byte for byte as it was;
#   - a writing command left the flights (and the settings file) as they were before or as they are
#     after the whole command, and `check` says ok once the next opening has settled what the
#     command's journal names (the running total of a change the fault cut short);
#   - the command that met the fault failed (status not 0, with a message) or printed exactly what a
#     clean run prints: a fault is never passed off as success with wrong data;
#   - what it said is German: none of the system's English texts inside a message.
#   scripts/readfaulttest.sh [RUNS]     (default 200; READFAULT_SEED=N draws another sample)
# Needs strace and jq and a build in ./build (velmarsk-cli). Prints each failed run with its command,
# fault and read, a table per command, and exits 1 when a run failed. The folders of failed runs are
# kept in build/readfault-failures/.
set -euo pipefail
trap 'echo "readfaulttest.sh: line $LINENO failed: $BASH_COMMAND" >&2' ERR
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-200}
# The order of the reads is shuffled the same way on every run with the same seed, so that CI
# meets the faults a developer's run met; another READFAULT_SEED draws another sample.
seed=${READFAULT_SEED:-1}
RANDOM=$seed
cli="$root/build/src/cli/velmarsk-cli"
for tool in strace jq; do
  command -v "$tool" >/dev/null || { echo "readfaulttest.sh: $tool is needed" >&2; exit 2; }
done
[ -x "$cli" ] || { echo "readfaulttest.sh: build velmarsk-cli first (scripts/build.sh build)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures="$root/build/readfault-failures"
rm -rf "$failures"
export XDG_DATA_HOME="$work/xdg"  # no run may reach the user's own logbook
export LC_ALL=C.UTF-8             # the system's own texts in English, so they are caught below

flight_comment=Lesefehler
# shellcheck source=lib/testlogbook.sh
source "$root/scripts/lib/testlogbook.sh"

# Every file of a logbook folder with its checksum.
# The stamp of a clean close (Flug.stand) names inodes and times, not contents: an opening that
# rewrites a derived file drops it.
sums() { (cd "$1" && find . -type f ! -name Flug.stand -print0 | LC_ALL=C sort -z | xargs -0 -r sha1sum); }

# The logbook every run starts from, and what the commands are given.
base="$work/base"
make_base "$base"
flight 2010-05-05 420 "EDDH - EDHL" >"$work/add.json"
flight 2001-02-03 725 "ETHF - EDDH" | sed 's/"Brandt"/"Neumann"/' >"$work/change.json"
# Flights of another logbook to import.
v "$work/other" create >/dev/null 2>&1
v "$work/other" generate 3 --seed 5 >/dev/null
for p in 1 2 3; do v "$work/other" export "$p" "$work/import.exp" >/dev/null; done

# The reads that count: those of the logbook's files, backups included (the program's own libraries
# are not its business).
paths=()
while IFS= read -r f; do paths+=(-P "$work/run/${f#./}"); done < <(cd "$base" && find . -type f)
paths+=(-P "$work/import.exp")
# Only read() is met with a fault (strace counts each kind of call on its own); the others are
# traced so that the script notices when the program starts to use them.
reads=read,pread64,readv,preadv,preadv2

scenarios=(list show check totals search chart-data export csv add change delete import sort rebuild-index)
declare -A args=(
  [list]="list"
  [show]="show 4"
  [check]="check"
  [totals]="totals"
  [search]="search --text1 ETH --all"
  [chart-data]="chart-data --from 1998"
  [export]="export 2 $work/export.out"
  [csv]="csv $work/export.out"
  [add]="add $work/add.json"
  [change]="change 4 $work/change.json"
  [delete]="delete 3"
  [import]="import $work/import.exp"
  [sort]="sort"
  [rebuild-index]="rebuild-index"
)
declare -A writing=([add]=1 [change]=1 [delete]=1 [import]=1 [sort]=1 [rebuild-index]=1)
# Where mapping a file fails, the files are read instead: a second series of reads per command.
maps=(mapped unmapped)
declare -A nomap=([mapped]="-e trace=$reads" [unmapped]="-e trace=$reads,mmap -e inject=mmap:error=ENODEV")
declare -A count kpoints done failed failedat

# Runs the command of scenario $1 on a fresh copy of the logbook in $work/run, under strace with
# the options that follow; its output (a file it wrote added) in $work/out, its messages in
# $work/err, its status in $status.
run_command() {
  local s=$1
  shift
  rm -rf "$work/run" "$work/export.out" && cp -a "$base" "$work/run"
  status=0
  # shellcheck disable=SC2086
  strace -f -qq "${paths[@]}" "$@" "$cli" --datadir "$work/run" ${args[$s]} >"$work/out" 2>"$work/err" || status=$?
  if [ -f "$work/export.out" ]; then cat "$work/export.out" >>"$work/out"; fi
  # strace's own notes are not the program's.
  sed -i '/^strace: /d' "$work/err"
}

dump "$base" >"$work/before"
sums "$base" >"$work/sums-before"
for s in "${scenarios[@]}"; do
  for m in "${maps[@]}"; do
    # The clean run: its output, the flights after it and the reads it makes with what they return.
    # shellcheck disable=SC2086
    run_command "$s" -o "$work/trace" ${nomap[$m]}
    [ "$status" -eq 0 ] || { echo "readfaulttest.sh: $s fails without a fault: $(cat "$work/err")" >&2; exit 2; }
    cp "$work/out" "$work/out-$s-$m"
    if grep -qE '^([0-9]+ +)?(pread64|readv|preadv|preadv2)\(' "$work/trace"; then
      echo "readfaulttest.sh: $s reads the logbook with calls other than read(); teach the script them" >&2
      exit 2
    fi
    grep -E '^([0-9]+ +)?read\(' "$work/trace" | sed -E 's/.*= *//' >"$work/returns-$s-$m" || true
    count[$s/$m]=$(wc -l <"$work/returns-$s-$m")
    if [ "$m" = mapped ]; then
      dump "$work/run" >"$work/after-$s"
      cp "$work/run/tarnoki.ini" "$work/ini-after-$s"
    fi
    kpoints[$s/$m]=$(seq 1 "$((count[$s/$m] > 0 ? count[$s/$m] : 1))" | shuf --random-source=<(yes "$seed") | tr '\n' ' ')
    done[$s/$m]=0
    failed[$s/$m]=0
    failedat[$s/$m]=""
  done
done

# English texts of the system or the toolkit that must never reach the user.
english='Unknown error|Input/output error|No such file|Permission denied|No space left|Bad file descriptor|Is a directory|Invalid argument|Resource temporarily|[Ee]rror|[Ff]ailed|[Cc]annot'

for ((i = 0; i < runs; i++)); do
  s=${scenarios[i % ${#scenarios[@]}]}
  m=${maps[(i / ${#scenarios[@]}) % 2]}
  n=${done[$s/$m]}
  done[$s/$m]=$((n + 1))
  read -r -a points <<<"${kpoints[$s/$m]}"
  # Each read in turn, failing once, cut short and failing from then on, then reads at random.
  w=$((n / 3))
  c=${count[$s/$m]}
  if ((w < ${#points[@]})); then k=${points[w]}; else k=$((1 + RANDOM % (c > 0 ? c : 1))); fi
  when=$k
  if ((n % 3 == 0)); then
    fault=error=EIO
  elif ((n % 3 == 1)); then
    # Half of what the read returned in the clean run; nothing where it met the end of the file.
    got=$(sed -n "${k}p" "$work/returns-$s-$m")
    fault=retval=$((${got:-0} > 0 ? ${got:-0} / 2 : 0))
  else
    # A damaged spot on the disk: every read from this one on fails.
    fault=error=EIO
    when=$k+
  fi
  point="$m read $when/$c ${fault/=*/}"
  # shellcheck disable=SC2086
  run_command "$s" -o /dev/null ${nomap[$m]} -e inject="read:$fault:when=$when"
  why=""
  if ((status >= 128)); then
    why="crashed (signal $((status - 128))): $(head -c 200 "$work/err" | tr '\n' ' ')"
  elif ((status == 0)) && ! cmp -s "$work/out" "$work/out-$s-$m"; then
    why="success reported with different output"
  elif ((status != 0)) && ! [ -s "$work/err" ]; then
    why="failed without a word"
  elif grep -qE "$english" "$work/err" || { ((status != 0)) && grep -qE "$english" "$work/out"; }; then
    why="English text: $(grep -hoE ".{0,60}($english).{0,40}" "$work/err" "$work/out" | head -1)"
  elif [ -z "${writing[$s]:-}" ]; then
    sums "$work/run" >"$work/sums"
    cmp -s "$work/sums" "$work/sums-before" || why="files changed: $({ diff "$work/sums-before" "$work/sums" || true; } | sed -n 's/^> [0-9a-f]* *//p' | tr '\n' ' ')"
  elif ! { v "$work/run" list >/dev/null 2>&1 || true; v "$work/run" check >"$work/check" 2>&1; }; then
    why="check: $(head -c 300 "$work/check" | tr '\n' ' ')"
  elif ! cmp -s "$work/run/tarnoki.ini" "$base/tarnoki.ini" && ! cmp -s "$work/run/tarnoki.ini" "$work/ini-after-$s"; then
    why="settings file neither as before nor as after: $(head -c 200 "$work/run/tarnoki.ini" | tr '\n\0' ' .')"
  else
    dump "$work/run" >"$work/got"
    cmp -s "$work/got" "$work/before" || cmp -s "$work/got" "$work/after-$s" ||
      why="flights differ ($(comm -3 "$work/got" "$work/before" | wc -l) lines from before, $(comm -3 "$work/got" "$work/after-$s" | wc -l) from after)"
  fi
  if [ -n "$why" ]; then
    failed[$s/$m]=$((failed[$s/$m] + 1))
    failedat[$s/$m]+="$point"$'\n'
    echo "FAIL $s, $point, status $status: $why"
    mkdir -p "$failures/$i-$s" && cp -a "$work/run" "$failures/$i-$s/logbook" &&
      cp "$work/out" "$work/err" "$failures/$i-$s/"
  fi
done

total=0
bad=0
printf '\n%-24s %6s %6s %6s  %s\n' command reads runs failed "failed reads"
for s in "${scenarios[@]}"; do
  for m in "${maps[@]}"; do
    # Each failed read once, with how often it failed: "read 3/40 error (x2), read 5+/40 error".
    where=$(printf '%s' "${failedat[$s/$m]}" | sed "s/^$m //" | LC_ALL=C sort | uniq -c |
      awk '{ n = $1; $1 = ""; sub(/^ /, ""); printf "%s%s%s", sep, $0, (n > 1 ? " (x" n ")" : ""); sep = ", " }')
    printf '%-24s %6d %6d %6d  %s\n' "$s ($m)" "${count[$s/$m]}" "${done[$s/$m]}" "${failed[$s/$m]}" "$where"
    total=$((total + done[$s/$m]))
    bad=$((bad + failed[$s/$m]))
  done
done
printf '%-24s %6s %6d %6d\n' total "" "$total" "$bad"
if ((bad > 0)); then exit 1; fi
