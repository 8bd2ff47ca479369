#!/usr/bin/env bash
# Configures and builds one build folder. Usage: scripts/build.sh <folder> [cmake options...]
# Builds with clang 14 when it is installed (it also gives the fuzz targets libFuzzer), unless
# the compilers are named in CC and CXX, as in
#   CC=gcc CXX=g++ scripts/build.sh build/gcc -DCMAKE_BUILD_TYPE=Release
# A folder keeps the compilers it was first configured with.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
compiler=()
if [ -n "${CC:-}" ] || [ -n "${CXX:-}" ]; then
  compiler=(-DCMAKE_C_COMPILER="${CC:-cc}" -DCMAKE_CXX_COMPILER="${CXX:-c++}")
elif command -v clang++-14 >/dev/null 2>&1; then
  compiler=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14)
fi
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja "${compiler[@]}" "$@" >/dev/null || exit 1
fi
# ninja shows its progress: one status line on a terminal, a line a step elsewhere (a log), with
# every warning and error as it comes.
exec cmake --build "$dir" -- -k 0
