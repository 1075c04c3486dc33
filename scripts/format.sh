#!/usr/bin/env bash
# Formats every C++ file of the tree with .clang-format, or with --check only tells which
# files differ from it (and fails).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
cd "$root"
mapfile -t files < <(find src tests bench tools \( -name '*.cpp' -o -name '*.h' \) | sort)
if [ "${1:-}" = "--check" ]; then
  clang-format-14 --dry-run --Werror "${files[@]}"
  echo "format: ${#files[@]} files follow .clang-format"
else
  clang-format-14 -i "${files[@]}"
fi
