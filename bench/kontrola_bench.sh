#!/usr/bin/env bash
# "Kontrola" at scale, against generating the same data in the same run: bench_generate
# (N invoices, 3 lines each, written to a file), bench_check (the data checks and totals over
# the same N), and check-file (the schema check of that file with its control sums), medians.
# usage: bench/kontrola_bench.sh [INVOICES] [RUNS]          (needs a Release build in build/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
n="${1:-1000000}"
runs="${2:-3}"
bin="$root/build/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TAVRIX_NO_NETWORK=1 LANG=pl_PL.UTF-8 LC_NUMERIC=C && unset LC_ALL  # the program in the users' locale, the figures printed in C
ln -s "$root/data/schemas" "$work/schemas"
"$bin/bench_generate" "$n" 3 "$runs" "$work/JPK_FA4.xml"
"$bin/bench_check" "$n" 3 "$runs"
source "$root/bench/measure.sh"
measure "check-file of that file" "$bin/tavrix-jpk" --home "$work" --quiet check-file "$work/JPK_FA4.xml"
measure "validate of that file" "$bin/tavrix-jpk" --home "$work" --quiet validate "$work/JPK_FA4.xml"
