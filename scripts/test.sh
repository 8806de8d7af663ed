#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: a normal build and one under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

"$root/scripts/build.sh" build
(cd "$root/build" && ctest --output-on-failure --timeout 600)

# Short kill and read fault tests (under a minute each), where the system has the tools for them.
if command -v strace >/dev/null && command -v jq >/dev/null; then
  "$root/scripts/killtest.sh" 24
  "$root/scripts/readfaulttest.sh" 112
fi

"$root/scripts/build.sh" build-asan -DVELMARSK_SANITIZE=ON -DVELMARSK_BUILD_BENCH=OFF
(cd "$root/build-asan" && ctest --output-on-failure --timeout 900)
