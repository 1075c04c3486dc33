#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each one for a bounded time on
# a copy of its seed corpus (tests/fuzz/corpus/<target>); prints per target the time, the
# executions, the coverage reached and what it found. A crash, a hang or a failed invariant
# fails the run and leaves the input in build-fuzz/findings/<target>/.
# usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]     (CI: 60 s each; a long local run: 3600)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
bash "$root/scripts/setup.sh"
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIX_FUZZ=ON \
  -DTAVRIX_GUI=OFF -DTAVRIX_BUILD_TESTS=OFF -DTAVRIX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel 2
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(import json grid_stream settings jpk_load writer params validator ksef xml_text)
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8
failed=0
printf '%-12s %8s %12s %8s %8s  %s\n' target seconds executions cov ft result
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  findings="$build/findings/$t"
  mkdir -p "$corpus" "$findings"
  cp -n "$root/tests/fuzz/corpus/$t/"* "$corpus/" 2>/dev/null || true
  log="$build/fuzz_$t.log"
  status=0
  "$build/bin/fuzz_$t" "$corpus" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  result="no finding"
  if [ "$status" -ne 0 ]; then
    result="FINDING (see $log, input in $findings)"
    failed=1
  fi
  printf '%-12s %8s %12s %8s %8s  %s\n' "$t" "$seconds" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
exit $failed
