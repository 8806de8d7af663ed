#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: a normal build and one under
# AddressSanitizer and UndefinedBehaviorSanitizer; then builds the Debian package and checks it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# The kill and read fault tests below need these; a run without them would pass without those tests.
for tool in strace jq; do
  command -v "$tool" >/dev/null || { echo "test.sh: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The project's own builds treat warnings as errors (.ci/run says so too; a packager's build need not).
werror=-DVELMARSK_WERROR=${VELMARSK_WERROR:-ON}

"$root/scripts/build.sh" build "$werror"
(cd "$root/build" && ctest --output-on-failure --timeout 600)

# Short kill and read fault tests: in each scenario kill points 1 to 8 and every third after them,
# the same on every run.
"$root/scripts/killtest.sh" 8 3
"$root/scripts/readfaulttest.sh" 112

"$root/scripts/build.sh" build-asan "$werror" -DVELMARSK_SANITIZE=ON -DVELMARSK_BUILD_BENCH=OFF
(cd "$root/build-asan" && ctest --output-on-failure --timeout 900)

# The Debian package and what it holds: a Release build of the two programs alone (through ccache,
# so a second run takes about a minute).
"$root/scripts/packagetest.sh"
