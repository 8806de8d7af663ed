#!/usr/bin/env bash
# Makes the Debian package: a stripped Release build in ./build-package, then CPack. Installs what
# only the package needs (dpkg-shlibdeps, file, rsvg-convert for the icon sizes, ccache) through
# scripts/install-deps.sh. Everything but the package's path goes to standard error; the path is
# the last line on standard output.
#   bash scripts/package.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-package"

bash "$root/scripts/install-deps.sh" dpkg-dev file librsvg2-bin ccache >&2
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# Paths relative to the source tree, so that another clone (CI's) finds the same cached objects.
export CCACHE_BASEDIR="$root"
# Warnings stay warnings here, as in a packager's build.
cmake -S "$root" -B "$build" "${gen[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr -DVELMARSK_BUILD_TESTS=OFF -DVELMARSK_BUILD_BENCH=OFF >&2
cmake --build "$build" --parallel "$(nproc)" >&2
rm -f "$build"/velmarsk_*.deb
(cd "$build" && cpack -G DEB >&2)

debs=("$build"/velmarsk_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package.sh: CPack made no single package" >&2; exit 1; }
echo "${debs[0]}"
