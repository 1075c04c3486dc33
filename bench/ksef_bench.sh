#!/usr/bin/env bash
# The e-invoice import on a generated ZIP package of N FA(3) invoices: invoices a second with
# the schema check off and on, and the peak memory at N and at N/10 (it must not grow with the
# number of files beyond the tables). Medians of RUNS runs.
# usage: bench/ksef_bench.sh [N] [RUNS]          (needs a Release build in build/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
n="${1:-100000}"
runs="${2:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cli="$root/build/bin/tavrix-jpk"
[ -x "$cli" ] || { echo "build first: cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build" >&2; exit 2; }
export TAVRIX_NO_NETWORK=1 LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8
ln -s "$root/data/schemas" "$work/schemas"
python3 "$root/bench/make_ksef_package.py" "$work/paczka.zip" "$n"
python3 "$root/bench/make_ksef_package.py" "$work/mala.zip" "$((n / 10))"
source "$root/bench/measure.sh"
read -r t_off m_off _ <<<"$(sample "$cli" --home "$work" --quiet import-ksef "$work/paczka.zip" no-schema)"
read -r t_on m_on _ <<<"$(sample "$cli" --home "$work" --quiet import-ksef "$work/paczka.zip")"
# the same on one thread: the road of a one-core machine, and the baseline of the two threads
read -r t_off1 _ _ <<<"$(sample env TAVRIX_THREADS=1 "$cli" --home "$work" --quiet import-ksef "$work/paczka.zip" no-schema)"
read -r t_on1 _ _ <<<"$(sample env TAVRIX_THREADS=1 "$cli" --home "$work" --quiet import-ksef "$work/paczka.zip")"
read -r t_small m_small _ <<<"$(sample "$cli" --home "$work" --quiet import-ksef "$work/mala.zip" no-schema)"
read -r t_unzip _ _ <<<"$(sample unzip -p "$work/paczka.zip")"
rate() { echo "scale=0; $1 / $2" | bc; }
echo "N=$n FA(3) invoices in a $(( $(stat -c %s "$work/paczka.zip") / 1048576 )) MB package; medians of $runs runs"
printf '| step | time | invoices/s | peak memory |\n|---|---|---|---|\n'
printf '| unzip -p (baseline: inflating alone) | %s s | – | – |\n' "$t_unzip"
printf '| import-ksef, schema check off | %s s | %s | %s MB |\n' "$t_off" "$(rate "$n" "$t_off")" "$(( m_off / 1024 ))"
printf '| import-ksef, schema check on | %s s | %s | %s MB |\n' "$t_on" "$(rate "$n" "$t_on")" "$(( m_on / 1024 ))"
printf '| the same on one thread, check off | %s s | %s | – |\n' "$t_off1" "$(rate "$n" "$t_off1")"
printf '| the same on one thread, check on | %s s | %s | – |\n' "$t_on1" "$(rate "$n" "$t_on1")"
printf '| import-ksef of N/10, check off | %s s | %s | %s MB |\n' "$t_small" "$(rate "$((n / 10))" "$t_small")" "$(( m_small / 1024 ))"
