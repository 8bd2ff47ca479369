#!/usr/bin/env bash
# Sets everything up, checks the layout of the sources (scripts/check-format.sh) and builds
# every target twice (each program linking the code as one shared
# library, which keeps the build folders small), warnings being errors in both: the tests
# with clang and the sanitizers (build/test), and a Release build with GCC (build/gcc), whose
# optimiser finds other faults than clang's. Then runs every test of the sanitizer build: unit,
# display (on a virtual X screen) and the short fuzz runs. Ends with ctest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/check-format.sh"
build="$root/build/test"
echo "test: building with clang and the sanitizers in $build"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DQUILL_SANITIZE=ON -DQUILL_BENCH=ON -DQUILL_SHARED_CODE=ON
echo "test: built in ${SECONDS} s; building every target with GCC (Release) in $root/build/gcc"
CC=gcc CXX=g++ "$root/scripts/build.sh" "$root/build/gcc" -DCMAKE_BUILD_TYPE=Release -DQUILL_BENCH=ON -DQUILL_SHARED_CODE=ON
echo "test: both builds done after ${SECONDS} s; running the tests"
cd "$build"
export QUILLMOOR_HEADLESS=1 SDL_AUDIODRIVER=dummy
# The shared X server never resets: it would each time its last client left, refusing the
# connections of the tests starting meanwhile.
exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
  ctest --output-on-failure --timeout 300 -j "$(nproc)" </dev/null
