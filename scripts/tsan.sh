#!/usr/bin/env bash
# The tests of the work done on two threads (the e-invoice import, a grid's sort and its number
# index), under ThreadSanitizer:
# a race between the helper and the calling thread fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="$root/build-tsan"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_TSAN=ON -DTAVRIX_GUI=OFF \
    -DTAVRIX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel 2 --target test_ksef test_tables
export LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8 TAVRIX_THREADS=2
# Qt and libxml2 are not built with the sanitizer: what they do inside is not reported
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp"
"$build/bin/test_ksef" --gtest_filter='Ksef.*'
"$build/bin/test_tables" --gtest_filter='Views.*'
