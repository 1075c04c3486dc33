#!/usr/bin/env bash
# Sets up, builds the test suite with AddressSanitizer and UndefinedBehaviorSanitizer and runs it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="$root/build-tests"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_SANITIZE=ON >/dev/null
cmake --build "$build" --parallel 2
# the whole suite runs as the users do: in the Polish locale, with its decimal comma
export LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure --parallel 2
