#!/usr/bin/env bash
# Builds the core, the command line and their tests without the widgets module (as on a
# server with no display libraries) and runs those tests.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="$root/build-headless"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIX_GUI=OFF -DTAVRIX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel 2
export LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8
ctest --test-dir "$build" --output-on-failure --parallel 2
