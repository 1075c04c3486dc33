#!/usr/bin/env bash
# Builds the Debian package (Release, no tests), installs it on this machine and runs the
# installed program's example in an empty folder: the JPK file it writes must validate
# offline against the schemas installed with it.
# usage: scripts/package.sh [--no-install]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="$root/build-package"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTAVRIX_BUILD_TESTS=OFF -DTAVRIX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel 2
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls -t "$build"/tavrix-jpk_*.deb | head -1)"
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n 's/^ *Depends:/Depends:/p'
[ "${1:-}" = "--no-install" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
# no network: the installed schemas must be enough
out="$(env -u DISPLAY -u WAYLAND_DISPLAY TAVRIX_NO_NETWORK=1 HOME="$work" /usr/bin/tavrix-jpk --demo)"
echo "$out"
grep -q "zgodna ze schemą XSD" <<<"$out"
test -s "$work/JPK_FA4_demo.xml"
test -f /usr/share/applications/tavrix-jpk.desktop
test -f /usr/share/icons/hicolor/scalable/apps/tavrix-jpk.svg
echo "installed package: the example validates offline"
