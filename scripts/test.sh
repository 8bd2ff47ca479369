#!/usr/bin/env bash
# Sets everything up, checks the layout of the sources (scripts/check-format.sh) and builds
# every target twice (each program linking the code as one shared
# library, which keeps the build folders small), warnings being errors in both: the tests
# with clang and the sanitizers (build/test), and a Release build with GCC (build/gcc), whose
# optimiser finds other faults than clang's. Then runs every test of both builds, one build
# after the other: unit, display (on a virtual X screen) and the fuzz targets (short fuzz runs
# in build/test, a replay of their starting inputs in build/gcc). The Release run leaves out the
# tests labelled "sanitizer", which only mean something under the sanitizers (the leak check).
# Shows ctest's summary of each run, and fails when a test of either failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/check-format.sh"
build="$root/build/test"
echo "test: building with clang and the sanitizers in $build"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DQUILL_SANITIZE=ON -DQUILL_BENCH=ON -DQUILL_SHARED_CODE=ON
echo "test: built in ${SECONDS} s; building every target with GCC (Release) in $root/build/gcc"
CC=gcc CXX=g++ "$root/scripts/build.sh" "$root/build/gcc" -DCMAKE_BUILD_TYPE=Release -DQUILL_BENCH=ON -DQUILL_SHARED_CODE=ON
echo "test: both builds done after ${SECONDS} s"
export QUILLMOOR_HEADLESS=1 SDL_AUDIODRIVER=dummy
# Runs the tests of the build folder $1, with ctest's further options after it, on an X server of
# their own. The server never resets: it would each time its last client left, refusing the
# connections of the tests starting meanwhile.
run_tests() {
  local dir=$1
  shift
  (cd "$dir" && xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    ctest --output-on-failure --timeout 300 -j "$(nproc)" "$@" </dev/null)
}
failed=()
echo "test: running the tests of $build"
run_tests "$build" || failed+=("$build")
echo "test: done after ${SECONDS} s; running the tests of $root/build/gcc but those labelled sanitizer"
run_tests "$root/build/gcc" -LE sanitizer || failed+=("$root/build/gcc")
echo "test: done after ${SECONDS} s"
if [ ${#failed[@]} -ne 0 ]; then
  echo "test: tests failed in ${failed[*]}" >&2
  exit 1
fi
