#!/usr/bin/env bash
# The figures of the whole road at N invoices (3 lines each, an order every 10th invoice), from
# the generator's data: import, generate, load, validate and the memory of each, with the
# baseline tool of the same run, the ratio and the target. Medians of RUNS runs.
# usage: bench/table.sh [INVOICES] [RUNS]          (needs a Release build in build/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
n="${1:-100000}"
runs="${2:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cli="$root/build/bin/tavrix-jpk"
[ -x "$cli" ] || { echo "build first: cmake -S . -B build -DCMAKE_BUILD_TYPE=Release && cmake --build build" >&2; exit 2; }
python3 "$root/../shared/tools/gen_jpk_input.py" "$work" --invoices "$n" >/dev/null
cp "$root/data/schemas/Schemat_JPK_FA(4)_v1-0.xsd" "$work/"
ln -s "$root/data/schemas" "$work/schemas"
export TAVRIX_NO_NETWORK=1 LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8

# shared: sample COMMAND → median seconds, median peak KiB
source "$root/bench/measure.sh"
out="$work/JPK_FA4.xml"
"$cli" --home "$work" --yes import "$work/dane.txt" generate "$out" >/dev/null
input_kib=$(( $(stat -c %s "$work/dane.txt") / 1024 ))
read -r t_mawk _ _ <<<"$(sample mawk -F';' '{n+=NF} END{print n}' "$work/dane.txt")"
read -r t_import m_import _ <<<"$(sample "$cli" --home "$work" import "$work/dane.txt")"
read -r t_both m_both _ <<<"$(sample "$cli" --home "$work" --yes import "$work/dane.txt" generate "$out")"
read -r t_stream _ _ <<<"$(sample xmllint --stream --noout "$out")"
read -r t_load m_load _ <<<"$(sample "$cli" --home "$work" load "$out")"
read -r t_val _ _ <<<"$(sample "$cli" --home "$work" validate "$out")"
read -r t_xval _ _ <<<"$(sample env XML_CATALOG_FILES="$root/data/schemas/catalog.xml" xmllint --stream --noout --nonet --schema "$work/Schemat_JPK_FA(4)_v1-0.xsd" "$out")"
t_gen=$(echo "$t_both - $t_import" | bc)
ratio() { if [ "$(echo "$2 == 0" | bc)" = 1 ]; then echo "–"; else echo "scale=2; $1 / $2" | bc; fi; }
echo "N=$n invoices; input $(( input_kib / 1024 )) MB; JPK file $(( $(stat -c %s "$out") / 1048576 )) MB; medians of $runs runs"
printf '| step | now | baseline in the same run | ratio | target |\n|---|---|---|---|---|\n'
printf '| import the common file | %s s | mawk field count %s s | %s× | ≤ 5× |\n' "$t_import" "$t_mawk" "$(ratio "$t_import" "$t_mawk")"
printf '| generate (import+generate − import) | %s s | xmllint --stream on the output %s s | %s× | ≤ 1× |\n' "$t_gen" "$t_stream" "$(ratio "$t_gen" "$t_stream")"
printf '| load the generated file | %s s | xmllint --stream %s s | %s× | ≤ 1.5× |\n' "$t_load" "$t_stream" "$(ratio "$t_load" "$t_stream")"
printf '| validate | %s s | xmllint --stream --schema %s s | %s× | ≤ 1× |\n' "$t_val" "$t_xval" "$(ratio "$t_val" "$t_xval")"
printf '| peak memory of import | %s MB | input file %s MB | %s× | ≤ 3× |\n' "$(( m_import / 1024 ))" "$(( input_kib / 1024 ))" "$(ratio "$m_import" "$input_kib")"
printf '| peak memory of import+generate | %s MB | import alone %s MB | +%s MB | tables + ≤ 100 MB |\n' "$(( m_both / 1024 ))" "$(( m_import / 1024 ))" "$(( (m_both - m_import) / 1024 ))"
printf '| peak memory of load | %s MB | import alone %s MB | %s× | tables + ≤ 100 MB |\n' "$(( m_load / 1024 ))" "$(( m_import / 1024 ))" "$(ratio "$m_load" "$m_import")"
