#!/usr/bin/env bash
# Sets everything up, builds the tests with the sanitizers and runs every test: unit,
# display (on a virtual X screen) and the short fuzz runs. Ends with ctest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build/test"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DQUILL_SANITIZE=ON -DQUILL_BENCH=ON
cd "$build"
export QUILLMOOR_HEADLESS=1 SDL_AUDIODRIVER=dummy
exec xvfb-run -a -s "-screen 0 1920x1080x24" \
  ctest --output-on-failure --timeout 300 -j "$(nproc)" </dev/null
