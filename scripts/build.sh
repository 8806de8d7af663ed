#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [extra cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
cmake -S "$root" -B "$root/$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$root/$dir" --parallel "$(nproc)"
