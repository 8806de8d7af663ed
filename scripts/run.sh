#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the default logbook folder (or the
# one given with --datadir DIR). Without a display it says so; under `xvfb-run` it runs as usual.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" build
exec "$root/build/src/app/velmarsk" "$@"
