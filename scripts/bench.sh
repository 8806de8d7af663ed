#!/usr/bin/env bash
# The benchmark table: builds the Release tree build-bench if needed, runs both benchmark programs
# on a generated logbook of 65,536 flights and prints one row per figure with its goal. Figures
# given as "x read" are ratios to reading Flug.dat and Flug.str once in the same run, so they can be
# compared between machines and hold on a busy one. Exits 1 when a row misses its goal.
#
# Not a test: never part of scripts/test.sh or CI. Run it on a quiet machine whenever a change
# touches src/core, and quote its table.
#   scripts/bench.sh [--repetitions N]      (default 3; the median of the repetitions counts)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
repetitions=3
while [ $# -gt 0 ]; do
  case $1 in
    --repetitions) repetitions=$2; shift 2 ;;
    *) echo "usage: scripts/bench.sh [--repetitions N]" >&2; exit 2 ;;
  esac
done

bash "$root/scripts/install-deps.sh" python3 >&2
build=build-bench
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$root/$build" "${gen[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DVELMARSK_BUILD_BENCH=ON -DVELMARSK_BUILD_TESTS=OFF -DVELMARSK_WERROR=ON >/dev/null
cmake --build "$root/$build" --parallel "$(nproc)" \
  --target velmarsk_bench velmarsk_window_bench velmarsk velmarsk-cli >&2

exec python3 "$root/scripts/lib/benchtable.py" "$root/$build" "$repetitions"
