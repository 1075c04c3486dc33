#!/usr/bin/env bash
# Renders the main window with each of its pages to PNG files (offscreen, no display needed),
# with the repository's example configuration and its sales export imported, in the Polish
# locale as the users see it, at the window's smallest size (855x600) and its designed size
# (839x718, which the smallest width then widens to 855).
# usage: scripts/screenshots.sh [OUTDIR] [program options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/screenshots}"
shift || true
if [ ! -f "$root/build/build.ninja" ]; then
  cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIX_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$root/build" --target Tavrix_JPK_FA4 >/dev/null
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
cp "$root/data/demo/JPK_FA3_Ustawienia.ini" "$home/"
cp "$root/build/bin/Schemat_JPK_FA(4)_v1-0.xsd" "$home/" 2>/dev/null || true
for size in 855x600 839x718; do
  mkdir -p "$out/$size"
  LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8 QT_QPA_PLATFORM=offscreen "$root/build/bin/Tavrix_JPK_FA4" --home "$home" \
    --screenshots "$out/$size" --size "$size" --import "$root/data/demo/sprzedaz_2023_08.txt" "$@"
done
echo "$out"
