#!/usr/bin/env bash
# Generation benchmark: bench_generate at two sizes, and xmllint --stream --noout reading
# the same output as the baseline of the same run.
# usage: bench/generate_bench.sh [INVOICES] [RUNS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
n="${1:-100000}"
runs="${2:-5}"
bin="$root/build/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin/bench_generate" $((n / 10)) 3 "$runs" "$work/small.xml"
"$bin/bench_generate" "$n" 3 "$runs" "$work/JPK_FA4.xml"
times=()
for _ in $(seq "$runs"); do
  s=$(date +%s.%N); xmllint --stream --noout "$work/JPK_FA4.xml"; e=$(date +%s.%N)
  times+=("$(echo "$e - $s" | bc)")
done
printf 'xmllint --stream --noout on the same file: median %s s (runs: %s)\n' \
  "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")" "${times[*]}"
