#!/usr/bin/env bash
# Kills velmarsk-cli in the middle of add, change (with a new start and with the same), delete,
# generate, sort, rebuild-index, import, restore and the rotation of the dated copies (an add on a
# logbook that keeps two copies, so that closing it removes the oldest), and checks that the
# logbook survives.
#
# A kill point is a call that changes the logbook folder (write, pwrite64, writev, pwritev,
# truncate, rename, unlink, link, mkdir, rmdir and their relatives): strace kills the program on
# entering its K-th such call, before the call, so each state the folder passes through is met
# once. The points are counted in a clean run of the command, which must make no call the script
# does not know. A run must end by the kill (status 137); one that ends otherwise is reported as
# not killed, is not counted as a pass, and ends the walk of its scenario.
#
# After each kill the logbook is opened again, answering the recovery question of an interrupted
# sort with Ja (--restore) at even kill points and Nein at odd ones; then `check` must say "ok",
# the flights must be those before the command or, where it is one change, those after it
# (generate and import: the flights before and some of the new ones, each whole; restore: those of
# the logbook or those of the copy), the running total must be the flight time the flights count
# plus the offset set by hand in the logbook every run starts from, and every copy `backups` lists
# must be a whole copy: the same files as a copy before the command or one the command makes.
#   scripts/killtest.sh             every kill point of every scenario, then kills at moments
#                                   spread over each command's run (these may cut a write short)
#   scripts/killtest.sh FIRST STRIDE
#                                   kill points 1 to FIRST, then every STRIDE-th, and the last:
#                                   the same points on every run (the short run of scripts/test.sh)
# Needs strace and jq and a build in ./build (velmarsk-cli). Prints each failed run with its
# scenario, kill point and answer, a table per scenario, and exits 1 when a run failed or was not
# killed. The folders of failed runs are kept in build/killtest-failures/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
first=${1:-0}  # 0: every kill point
stride=${2:-1}
timed=0
[ "$first" -eq 0 ] && timed=8
((stride > 0)) || { echo "killtest.sh: STRIDE must be at least 1" >&2; exit 2; }
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
export TMPDIR="$work/tmp"         # nor leave its work folders behind elsewhere
mkdir -p "$TMPDIR"

# The calls that change files or folders. strace counts each call name on its own, so the K-th
# kill point is injected as the n-th call of its name.
changing=write,pwrite64,writev,pwritev,pwritev2,ftruncate,truncate,fallocate,rename,renameat,renameat2
changing+=,unlink,unlinkat,rmdir,mkdir,mkdirat,link,linkat,symlink,symlinkat,copy_file_range,sendfile
# Calls known to leave the files' contents and names as they are. A command that makes a call in
# neither list is refused until the call is put in one of them, so a new way of writing cannot
# slip past the kill points.
harmless=read,pread64,readv,preadv,preadv2,openat,open,close,close_range,statx,newfstatat,fstat,stat,lstat
harmless+=,lseek,access,faccessat,faccessat2,readlink,readlinkat,getdents64,getcwd,fsync,fdatasync,flock
harmless+=,fcntl,ioctl,fchmod,mmap,munmap,mprotect,mremap,madvise,brk,futex,getpid,gettid,getuid,geteuid
harmless+=,getgid,getegid,getrandom,uname,sysinfo,prlimit64,sched_getaffinity,sched_yield,set_tid_address
harmless+=,set_robust_list,rseq,arch_prctl,prctl,rt_sigaction,rt_sigprocmask,rt_sigreturn,sigaltstack
harmless+=,clock_gettime,clock_nanosleep,nanosleep,poll,ppoll,eventfd2,pipe2,dup,dup2,dup3,statfs,fstatfs
harmless+=,execve,exit,exit_group,kill,tgkill

flight_comment=Kill
# shellcheck source=lib/testlogbook.sh
source "$root/scripts/lib/testlogbook.sh"

# The minutes the running total counts over the flights of a dump: all but the simulator's.
counted() { jq -s 'map(select(.SimDay + .SimNite == 0) | .Ate) | add // 0' "$1"; }
# The running total as minutes.
running_total() { v "$1" total | awk -F: '{ m = ($1 < 0 ? -$1 : $1) * 60 + $2; print ($1 ~ /^-/ ? -m : m) }'; }

# The logbook every run starts from, and what the commands are given. Its total is set by hand
# above the flights, as a pilot does who brings hours from before this logbook.
base="$work/base"
make_base "$base"
v "$base" total 2345:15 >/dev/null
flight 2010-05-05 420 "EDDH - EDHL" >"$work/add.json"
flight 2001-02-03 725 "ETHF - EDDH" >"$work/change.json"
# The first flight changed with its date and start kept: new landing time, new routing.
flight 1998-07-15 600 "ETHS - EDDH - ETHS" | sed 's/"Ata":660/"Ata":690/' >"$work/same.json"
# Flights of another logbook to import.
v "$work/other" create >/dev/null 2>&1
v "$work/other" generate 3 --seed 5 >/dev/null
for p in 1 2 3; do v "$work/other" export "$p" "$work/import.exp" >/dev/null; done
# The copy to restore: the second oldest, with a flight fewer than the logbook.
restore_copy=$(v "$base" backups | sed -n '2s/\t.*//p')
[ -n "$restore_copy" ] || { echo "killtest.sh: the base logbook has no copies to restore" >&2; exit 2; }
# The same logbook keeping two copies: closing it after a change removes the oldest ones.
cp -a "$base" "$work/base-rotation"
# Into the section MISC the file may hold already: of a section written twice only the first counts.
ini="$work/base-rotation/tarnoki.ini"
if grep -q '^\[MISC\]' "$ini"; then
  awk '{ print } /^\[MISC\]\r?$/ { print "SICHERUNGEN=2" (/\r$/ ? "\r" : "") }' "$ini" >"$ini.neu" && mv "$ini.neu" "$ini"
else
  printf '[MISC]\nSICHERUNGEN=2\n' >>"$ini"
fi
[ "$(v "$work/base-rotation" backups | wc -l)" -gt 2 ] ||
  { echo "killtest.sh: the rotation scenario needs more than two copies to start from" >&2; exit 2; }

scenarios=(add change change-same delete generate sort rebuild-index import restore rotation)
declare -A args=(
  [add]="add $work/add.json"
  [change]="change 4 $work/change.json"
  [change-same]="change 1 $work/same.json"
  [delete]="delete 3"
  [generate]="generate 5 --seed 99"
  [sort]="sort"
  [rebuild-index]="rebuild-index"
  [import]="import $work/import.exp"
  [restore]="restore $restore_copy"
  [rotation]="add $work/add.json"
)
declare -A start_from=([rotation]="$work/base-rotation")
declare -A calls duration walked killed notkilled outlived failed failedat

# Each copy in a folder's Sicherung as "NAME SIGNATURE", the signature naming each file and its checksum.
copy_signatures() {
  [ -d "$1/Sicherung" ] || return 0
  (cd "$1/Sicherung" && find . -mindepth 2 -type f -print0 | LC_ALL=C sort -z | xargs -0 -r sha1sum) |
    awk '{ f = $2; sub(/^\.\//, "", f); c = f; sub(/\/.*/, "", c); sub(/^[^\/]*\//, "", f)
           sig[c] = sig[c] $1 ":" f " " }
         END { for (c in sig) print c, sig[c] }'
}

dump "$base" >"$work/before"
offset=$(($(running_total "$base") - $(counted "$work/before")))
for s in "${scenarios[@]}"; do
  from=${start_from[$s]:-$base}
  # The clean run: its calls, the flights after it, the copies it leaves and how long it takes.
  rm -rf "$work/run" && cp -a "$from" "$work/run"
  start=$(date +%s%N)
  # shellcheck disable=SC2086
  "$cli" --datadir "$work/run" ${args[$s]} >/dev/null 2>"$work/err" ||
    { echo "killtest.sh: $s fails without a kill: $(head -c 300 "$work/err")" >&2; exit 2; }
  duration[$s]=$((($(date +%s%N) - start) / 1000000))
  rm -rf "$work/run" && cp -a "$from" "$work/run"
  # shellcheck disable=SC2086
  strace -f -qq -y -o "$work/trace" "$cli" --datadir "$work/run" ${args[$s]} >/dev/null 2>&1
  # strace counts calls per process and thread: the kill points are counted in one.
  if [ "$(awk '{ print $1 }' "$work/trace" | sort -u | wc -l)" -ne 1 ]; then
    echo "killtest.sh: $s runs in more than one thread; its kill points cannot be counted" >&2
    exit 2
  fi
  sed -nE 's/^[0-9]+ +([a-z0-9_]+)\(.*/\1/p' "$work/trace" >"$work/names"
  if unknown=$(grep -vxE "${changing//,/|}|${harmless//,/|}" "$work/names" | sort -u | tr '\n' ' ') &&
    [ -n "$unknown" ]; then
    echo "killtest.sh: $s makes calls the script does not know: $unknown" >&2
    echo "  (put each among the kill points when it changes a file, else among the harmless ones)" >&2
    exit 2
  fi
  # A file mapped for writing changes without any call.
  if grep -qE '^[0-9]+ +mmap\(.*PROT_WRITE.*MAP_SHARED' "$work/trace"; then
    echo "killtest.sh: $s writes a file through a shared mapping, which no kill point meets" >&2
    exit 2
  fi
  # The kill points: the calls that changed something in the logbook folder, each as "NAME N", the
  # N-th call of its name. Calls that failed change nothing, and those elsewhere (the messages, a
  # work folder of the check of a copy) leave the logbook as the call before them does.
  awk -v dir="$work/run" -v names="^(${changing//,/|})\$" '
    { line = $0; sub(/^[0-9]+ +/, "", line); p = index(line, "("); if (!p) next
      name = substr(line, 1, p - 1); if (name !~ names) next
      n[name]++
      if (index(line, dir) && line !~ / = -1 E[A-Z]+ \(.*\)$/) print name, n[name] }' \
    "$work/trace" >"$work/calls-$s"
  calls[$s]=$(wc -l <"$work/calls-$s")
  dump "$work/run" >"$work/after-$s"
  { copy_signatures "$from" && copy_signatures "$work/run"; } | cut -d' ' -f2- | sort -u >"$work/copies-$s"
  walked[$s]=0
  killed[$s]=0
  notkilled[$s]=0
  outlived[$s]=0
  failed[$s]=0
  failedat[$s]=""
done

# The kill points of a scenario with N calls.
kill_points() {
  local n=$1 k
  if ((first == 0)); then
    seq 1 "$n"
    return
  fi
  for ((k = 1; k <= n; k++)); do
    if ((k <= first || (k - first) % stride == 0 || k == n)); then echo "$k"; fi
  done
}

# True when the flights after a kill are what the scenario allows.
flights_ok() {
  local s=$1 got=$2
  cmp -s "$got" "$work/before" && return 0
  if [ "$s" = generate ] || [ "$s" = import ]; then
    # Every flight before is still there, and every other one is a whole new one.
    [ -z "$(comm -23 "$work/before" "$got")" ] && [ -z "$(comm -23 "$got" "$work/after-$s")" ]
    return
  fi
  cmp -s "$got" "$work/after-$s"
}

# Runs scenario $1 on a fresh copy of its logbook, killed as the options that follow say (strace's,
# or `timeout MS`); the status in $status.
run_killed() {
  local s=$1 how=$2
  shift 2
  rm -rf "$work/run" && cp -a "${start_from[$s]:-$base}" "$work/run"
  # In a subshell that outlives the command, so the shell's note on the killed process goes nowhere.
  # shellcheck disable=SC2086
  if [ "$how" = strace ]; then
    (set +e; strace -f -qq -o /dev/null "$@" "$cli" --datadir "$work/run" ${args[$s]}; echo $? >"$work/status") >/dev/null 2>&1
  else
    (set +e; timeout -s KILL "$@" "$cli" --datadir "$work/run" ${args[$s]}; echo $? >"$work/status") >/dev/null 2>&1
  fi
  status=$(cat "$work/status")
}

# Checks the logbook in $work/run after a kill; prints why it is not sound, nothing when it is.
check_run() {
  local s=$1 restore=("${@:2}")
  if ! v "$work/run" "${restore[@]}" list >"$work/list" 2>"$work/open-err"; then
    echo "opening failed: $(head -c 300 "$work/open-err" | tr '\n' ' ')"
  elif ! v "$work/run" check >"$work/check" 2>&1; then
    echo "check: $(head -c 300 "$work/check" | tr '\n' ' ')"
  else
    dump "$work/run" >"$work/got"
    if ! flights_ok "$s" "$work/got"; then
      echo "flights differ ($(comm -3 "$work/got" "$work/before" | wc -l) lines from before, $(comm -3 "$work/got" "$work/after-$s" | wc -l) from after)"
      return
    fi
    local total want
    total=$(running_total "$work/run")
    want=$(($(counted "$work/got") + offset))
    if [ "$total" != "$want" ]; then
      echo "running total $total min, the flights count $((want - offset)) min and the offset is $offset min"
      return
    fi
    # A listed copy without files has no signature.
    v "$work/run" backups 2>&1 | cut -f1 >"$work/listed"
    copy_signatures "$work/run" >"$work/signatures"
    awk 'FILENAME == ARGV[1] { whole[$0] = 1; next }
         FILENAME == ARGV[2] { sig[$1] = substr($0, length($1) + 2); next }
         !($1 in sig) || !(sig[$1] in whole) { print "the copy " $1 " is listed but not whole"; exit }' \
      "$work/copies-$s" "$work/signatures" "$work/listed"
  fi
}

# One kill: counted as a pass or a failure only when the program was killed.
try() {
  local s=$1 point=$2 answer=$3 why
  walked[$s]=$((walked[$s] + 1))
  [ "$status" -eq 137 ] || return 1
  killed[$s]=$((killed[$s] + 1))
  local restore=()
  [ "$answer" = Ja ] && restore=(--restore)
  why=$(check_run "$s" "${restore[@]}" || true)
  if [ -n "$why" ]; then
    failed[$s]=$((failed[$s] + 1))
    failedat[$s]+="$point"$'\n'
    echo "FAIL $s, kill at $point, answer $answer: $why"
    mkdir -p "$failures" && cp -a "$work/run" "$failures/$s-${point// /-}-$answer"
  fi
  return 0
}

bad_walk=0
for s in "${scenarios[@]}"; do
  for k in $(kill_points "${calls[$s]}"); do
    read -r name n < <(sed -n "${k}p" "$work/calls-$s")
    answer=Nein
    ((k % 2 == 0)) && answer=Ja
    run_killed "$s" strace -e trace="$name" -e inject="$name:error=EIO:signal=KILL:when=$n"
    if ! try "$s" "call $k" "$answer"; then
      notkilled[$s]=$((notkilled[$s] + 1))
      echo "NOT KILLED $s at call $k ($name #$n), status $status: the walk of $s stops here"
      bad_walk=1
      break
    fi
  done
  # Moments spread over the run, so a write may be cut short; one the command outlives is no kill.
  for ((t = 1; t <= timed; t++)); do
    ms=$((duration[$s] * t / (timed + 1) + 1))
    answer=Nein
    ((t % 2 == 0)) && answer=Ja
    run_killed "$s" timeout "$(printf '%d.%03d' $((ms / 1000)) $((ms % 1000)))"
    try "$s" "$ms ms" "$answer" || outlived[$s]=$((outlived[$s] + 1))
  done
done

total=0
bad=0
# walked: kill points and moments tried; !kill: kill points the command passed unkilled; outlived:
# moments after the command's end.
printf '\n%-14s %6s %6s %6s %6s %8s %6s  %s\n' scenario calls walked killed "!kill" outlived failed \
  "failed kill points"
for s in "${scenarios[@]}"; do
  # Each failed kill point once, with how often it failed: "call 3, call 12, 40 ms (x2)".
  where=$(printf '%s' "${failedat[$s]}" | sort -t' ' -k2,2n | uniq -c |
    awk '{ n = $1; $1 = ""; sub(/^ /, ""); printf "%s%s%s", sep, $0, (n > 1 ? " (x" n ")" : ""); sep = ", " }')
  printf '%-14s %6d %6d %6d %6d %8d %6d  %s\n' "$s" "${calls[$s]}" "${walked[$s]}" "${killed[$s]}" \
    "${notkilled[$s]}" "${outlived[$s]}" "${failed[$s]}" "$where"
  if ((killed[$s] == 0)); then
    echo "killtest.sh: no run of $s was killed" >&2
    bad_walk=1
  fi
  total=$((total + killed[$s]))
  bad=$((bad + failed[$s]))
done
printf '%-14s %6s %6s %6d %6s %8s %6d\n' total "" "" "$total" "" "" "$bad"
((bad == 0 && bad_walk == 0))
