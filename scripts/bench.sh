#!/usr/bin/env bash
# Sets everything up, builds the game and its benchmarks in Release (as the game is built to be
# played, in build/bench) and runs every benchmark. Each one reports its figures against a
# baseline measured beside it, in processor time: see the comment at the top of each
# bench/*_bench.cpp. The desktop benchmarks start the program itself on a virtual X screen.
# Usage: scripts/bench.sh [regular expression naming the benchmarks to run]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build/bench"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DQUILL_TESTS=OFF -DQUILL_BENCH=ON
filter="${1:-.}"
export QUILLMOOR_HEADLESS=1 SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
status=0
for program in "$build"/bench/bench_*; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  xvfb-run -a -s "-screen 0 1920x1080x24" "$program" --benchmark_filter="$filter" </dev/null || status=1
done
exit "$status"
