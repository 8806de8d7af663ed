#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer) in build-fuzz,
# writes their seed corpora from files the program writes (the committed fuzz/corpus, which the
# tests replay, is read as well), and runs each target for SECONDS
# (default 60), niced. Prints the executions and crashes per target and in total; exits 1 when a
# target crashed. The corpora grow in build-fuzz/corpus between runs; crashes land in
# build-fuzz/crashes/TARGET/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(flugdat flugidx flugstr flugnam flugcrw settings flightjson exportfile csvimport)
out="$root/build-fuzz"

command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is needed" >&2; exit 2; }
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
CC=clang CXX=clang++ cmake -S "$root" -B "$out" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMARSK_FUZZ=ON -DVELMARSK_WERROR=ON -DVELMARSK_BUILD_TESTS=OFF -DVELMARSK_BUILD_BENCH=OFF >/dev/null
nice cmake --build "$out" --target velmarsk_fuzz --parallel 2 >/dev/null

# Two frames of an allocation's stack: beyond them the unwinder walks Qt's frames without frame
# pointers, every allocation gets a stack of its own, and the sanitizer's store of them grows until it
# slows each run and reaches the memory limit.
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:malloc_context_size=2
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
seeds="$out/seeds"
rm -rf "$seeds"
"$out/fuzz/velmarsk_fuzz_seeds" "$seeds"

total_runs=0
total_crashes=0
printf '%-12s %14s %8s\n' target executions crashes
for t in "${targets[@]}"; do
  corpus="$out/corpus/$t"
  crashes="$out/crashes/$t"
  mkdir -p "$corpus" "$crashes"
  before=$(find "$crashes" -type f | wc -l)
  log="$out/fuzz-$t.log"
  nice -n 15 "$out/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 \
    -rss_limit_mb=2048 -max_len=8192 -artifact_prefix="$crashes/" "$corpus" "$seeds/$t" "$root/fuzz/corpus/$t" \
    >"$log" 2>&1 || true
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  runs=${runs:-0}
  found=$(($(find "$crashes" -type f | wc -l) - before))
  # A target that died before its statistics counts as a crash, even without an artefact.
  if [ "$found" -eq 0 ] && ! grep -q '^stat::number_of_executed_units' "$log"; then found=1; fi
  printf '%-12s %14d %8d\n' "$t" "$runs" "$found"
  total_runs=$((total_runs + runs))
  total_crashes=$((total_crashes + found))
done
printf '%-12s %14d %8d\n' total "$total_runs" "$total_crashes"
[ "$total_crashes" -eq 0 ]
