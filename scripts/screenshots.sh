#!/usr/bin/env bash
# Renders the main window with each of its pages to PNG files (offscreen, no display needed),
# with the repository's example configuration and its sales export imported.
# usage: scripts/screenshots.sh [OUTDIR] [program options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/screenshots}"
shift || true
cmake --build "$root/build" --target Tavrix_JPK_FA4 >/dev/null
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
cp "$root/data/demo/JPK_FA3_Ustawienia.ini" "$home/"
cp "$root/build/bin/Schemat_JPK_FA(4)_v1-0.xsd" "$home/" 2>/dev/null || true
QT_QPA_PLATFORM=offscreen "$root/build/bin/Tavrix_JPK_FA4" --home "$home" --screenshots "$out" \
  --import "$root/data/demo/sprzedaz_2023_08.txt" "$@"
echo "$out"
