#!/usr/bin/env bash
# Sets up, builds and starts the program. Without a display it runs the command line
# (the built-in example when no arguments are given).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --parallel 2
bin="$root/build/bin"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/Tavrix_JPK_FA4" "$@"
fi
if [ $# -eq 0 ]; then
  # the example writes JPK_FA4_demo.xml into the working folder: the build's, so that the
  # checkout stays clean (the program prints the file's full path)
  cd "$root/build"
  exec "$bin/tavrix-jpk" --demo
fi
exec "$bin/tavrix-jpk" "$@"
