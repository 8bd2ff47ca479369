#!/usr/bin/env bash
# Configures and builds one build folder. Usage: scripts/build.sh <folder> [cmake options...]
# Builds with clang 14 when it is installed (it also gives the fuzz targets libFuzzer).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
compiler=()
if command -v clang++-14 >/dev/null 2>&1; then
  compiler=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14)
fi
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja "${compiler[@]}" "$@" >/dev/null || exit 1
fi
# Progress lines are dropped; warnings and errors stay.
cmake --build "$dir" -- -k 0 2>&1 | grep -v -E '^\[[0-9]+/[0-9]+\] '
exit "${PIPESTATUS[0]}"
