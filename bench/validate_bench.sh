#!/usr/bin/env bash
# Validates a large JPK_FA(4) file with tavrix-jpk and with xmllint --stream on the same
# file; prints the wall time and peak memory of each run (median of N runs).
# usage: bench/validate_bench.sh [SIZE_MB] [RUNS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mb="${1:-1024}"
runs="${2:-3}"
bin="$root/build/bin"
shared="$root/../shared"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/make_large_jpk.py" "$shared/samples/jpk_fa4/handmade/rich_valid.xml" "$work/JPK_big.xml" --mb "$mb"
ls -l "$work/JPK_big.xml"
mkdir -p "$work/home"
cp "$bin/Schemat_JPK_FA(4)_v1-0.xsd" "$work/home/"
ln -s "$bin/schemas" "$work/home/schemas"

source "$root/bench/measure.sh"
measure "tavrix-jpk validate" "$bin/tavrix-jpk" --home "$work/home" validate "$work/JPK_big.xml"
measure "xmllint --stream --schema" env XML_CATALOG_FILES="$bin/schemas/catalog.xml" xmllint --nonet --stream --noout \
  --schema "$bin/Schemat_JPK_FA(4)_v1-0.xsd" "$work/JPK_big.xml"
