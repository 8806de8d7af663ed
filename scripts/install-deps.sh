#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the program need (root or sudo).
# Package names given as arguments are installed too: a script that needs more than the build
# (scripts/screenshot.sh) names its own.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl1-mesa-dev
  libjpeg-dev libjpeg62-turbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
  fonts-liberation xvfb xauth
  strace jq
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
