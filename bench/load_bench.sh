#!/usr/bin/env bash
# Loading benchmark: a JPK file generated from N invoices (3 lines each) is loaded by
# tavrix-jpk; xmllint --stream --noout reads the same file as the baseline of the same run.
# usage: bench/load_bench.sh [INVOICES] [RUNS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
n="${1:-1000000}"
runs="${2:-3}"
bin="$root/build/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin/bench_generate" "$n" 3 1 "$work/JPK_FA4.xml" | tail -1
mkdir -p "$work/home"
source "$root/bench/measure.sh"
measure "tavrix-jpk load" "$bin/tavrix-jpk" --home "$work/home" load "$work/JPK_FA4.xml"
measure "xmllint --stream --noout" xmllint --stream --noout "$work/JPK_FA4.xml"
