#!/usr/bin/env bash
# Builds the Debian package with scripts/package.sh and checks what it holds: every file an
# installation needs, a Depends field from the linked libraries, stripped programs that tell their
# version without a display, manual pages that read without warnings, metainfo that
# `appstreamcli validate` accepts. Prints one line per failed check and a closing count.
#   bash scripts/packagetest.sh            the package's contents (part of scripts/test.sh)
#   bash scripts/packagetest.sh --install  also installs it with apt, uses it on a logbook folder
#                                          and removes it again, which must leave the folder be
#                                          (root; changes the system, so never part of the tests)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
install=0
case ${1:-} in
  --install) install=1 ;;
  "") ;;
  *) echo "usage: scripts/packagetest.sh [--install]" >&2; exit 2 ;;
esac

bash "$root/scripts/install-deps.sh" appstream man-db >&2
deb=$(bash "$root/scripts/package.sh" | tail -n 1)
version=$(sed -n 's/^project(velmarsk VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@" >"$work/out" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what" >&2
    sed 's/^/  /' "$work/out" >&2
  fi
}

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
required=(
  /usr/bin/velmarsk
  /usr/bin/velmarsk-cli
  /usr/share/applications/velmarsk.desktop
  /usr/share/icons/hicolor/scalable/apps/velmarsk.svg
  /usr/share/velmarsk/INFO.JPG
  /usr/share/man/man1/velmarsk.1
  /usr/share/man/man1/velmarsk-cli.1
  /usr/share/metainfo/de.velmarsk.Velmarsk.metainfo.xml
  /usr/share/doc/velmarsk/copyright
)
for size in 16 32 48 64 128 256; do required+=("/usr/share/icons/hicolor/${size}x${size}/apps/velmarsk.png"); done
holds() { grep -qx "$1" "$work/contents"; }
only_under_usr() { ! grep -v '^/usr\(/\|$\)' "$work/contents" | grep -vx '/'; }
depends_on() { local d; d=$(dpkg-deb -f "$deb" Depends); echo "Depends: $d"; for lib; do grep -q "$lib" <<<"$d" || return 1; done; }
field_is() { [ "$(dpkg-deb -f "$deb" "$1")" = "$2" ]; }
stripped() { file -L "$1" | tee /dev/stderr | grep -q ', stripped'; }
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
says() { local out; out=$(headless "${@:2}"); echo "$out"; [ "$out" = "$1" ]; }
begins() { headless "${@:2}" | grep -q "^$1"; }
man_clean() { local w; w=$(MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null); echo "$w"; [ -z "$w" ]; }
man_entry() { MANWIDTH=200 man -l "$1" 2>/dev/null | grep -q "^       $2\( \|$\)"; }
png_size() { file "$1" | grep -q "$2 x $2"; }
desktop_entry() { grep -qx 'Exec=velmarsk' "$1" && grep -qx 'Icon=velmarsk' "$1" && grep -qx 'Name=Velmarsk' "$1"; }

for path in "${required[@]}"; do check "the package holds $path" holds "$path"; done
# Nothing outside /usr: the pilots' folders and the system's settings are not the package's.
check "every file lies under /usr" only_under_usr
check "Depends names the linked libraries" depends_on libc6 libqt6core6 libqt6widgets6 libjpeg
check "the package has the project's version" field_is Version "$version"

dpkg-deb -x "$deb" "$work/root"
bin="$work/root/usr/bin"
share="$work/root/usr/share"
for program in velmarsk velmarsk-cli; do
  check "$program is stripped" stripped "$bin/$program"
  check "$program --version without a display" says "$program $version" "$bin/$program" --version
done
check "velmarsk --help without a display" begins "Aufruf: velmarsk" "$bin/velmarsk" --help
for page in velmarsk velmarsk-cli; do check "$page.1 reads without warnings" man_clean "$share/man/man1/$page.1"; done
# The manual page shipped is the one made from the commands: it names every command --help names.
for command in $("$bin/velmarsk-cli" --help | sed -n '/^Befehle:/,/^$/s/^  \([a-z-]\+\).*/\1/p'); do
  check "velmarsk-cli.1 describes $command" man_entry "$share/man/man1/velmarsk-cli.1" "$command"
done
check "the desktop entry starts velmarsk with its icon" desktop_entry "$share/applications/velmarsk.desktop"
for size in 16 32 48 64 128 256; do
  check "the ${size}px icon is $size pixels wide" png_size "$share/icons/hicolor/${size}x${size}/apps/velmarsk.png" "$size"
done
check "appstreamcli validates the metainfo" \
  appstreamcli validate --no-net "$share/metainfo/de.velmarsk.Velmarsk.metainfo.xml"

if [ "$install" -eq 1 ]; then
  logbook="$work/logbook"
  folder_sums() { (cd "$logbook" && find . -type f | sort | xargs sha256sum); }
  unchanged() { [ -s "$logbook/Flug.dat" ] && diff "$work/before" <(folder_sums); }
  check "apt installs the package" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb"
  check "the installed velmarsk-cli makes a logbook" /usr/bin/velmarsk-cli --datadir "$logbook" create
  check "and adds flights to it" /usr/bin/velmarsk-cli --datadir "$logbook" generate 20
  check "man finds both pages" man -w velmarsk velmarsk-cli
  folder_sums >"$work/before"
  check "apt removes the package" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq velmarsk
  check "the programs are gone" test ! -e /usr/bin/velmarsk -a ! -e /usr/bin/velmarsk-cli
  check "the logbook folder is left as it was" unchanged
fi

echo "$deb"
echo "packagetest: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
