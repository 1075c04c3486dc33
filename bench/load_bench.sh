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
median() { sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }
measure() {  # label, command...
  local label="$1"; shift
  local times=() mems=()
  for _ in $(seq "$runs"); do
    /usr/bin/time -q -f "%e %M" -o "$work/t" "$@" >/dev/null 2>&1 || true
    read -r t m < "$work/t"
    times+=("$t"); mems+=("$m")
  done
  printf '%-26s median %8.2f s   peak %9d KiB   (runs: %s)\n' "$label" \
    "$(printf '%s\n' "${times[@]}" | median)" "$(printf '%s\n' "${mems[@]}" | median)" "${times[*]}"
}
measure "tavrix-jpk load" "$bin/tavrix-jpk" --home "$work/home" load "$work/JPK_FA4.xml"
measure "xmllint --stream --noout" xmllint --stream --noout "$work/JPK_FA4.xml"
