#!/usr/bin/env bash
# Import benchmark: gen_jpk_input.py writes N invoices (3 lines each); bench_import times the
# steps; mawk counting the fields of the same file is the baseline of the same run.
# usage: bench/import_bench.sh [INVOICES] [RUNS] [STYLE]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
n="${1:-100000}"
runs="${2:-3}"
style="${3:-pl}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$root/../shared/tools/gen_jpk_input.py" "$work" --invoices "$n" --style "$style"
ls -l "$work/dane.txt"
"$root/build/bin/bench_import" "$work" "$runs"
times=()
for _ in $(seq "$runs"); do
  s=$(date +%s.%N); mawk -F';' '{n+=NF} END{print n}' "$work/dane.txt" >/dev/null; e=$(date +%s.%N)
  times+=("$(echo "$e - $s" | bc)")
done
printf 'mawk field count baseline: median %s s (runs: %s)\n' \
  "$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")" "${times[*]}"
