#!/usr/bin/env bash
# Sets everything up, builds the game and its benchmarks in Release (as the game is built to be
# played, in build/bench) and runs every benchmark on a virtual X screen (the desktop benchmarks
# start the program itself). Each one reports its figures against a baseline measured beside it,
# in processor time: see the comment at the top of each bench/*_bench.cpp. A benchmark with a
# target checks it (bench/Targets.h); the script ends with every target missed and every
# benchmark that could not run, and exits 1 when there is one. A target set for the run that no
# benchmark of the run has is missed too.
# Usage: scripts/bench.sh [regular expression naming the benchmarks to run]
#   QUILL_BENCH_BUILD=<folder>  runs the benchmark programs already built in that folder (its
#                               bench/bench_*), without setting up or building anything.
#   QUILL_BENCH_TARGETS         sets targets of this run differently (see bench/Targets.h).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
filter="${1:-.}"
if [ -z "${QUILL_BENCH_BUILD:-}" ]; then
  "$root/scripts/setup.sh"
  build="$root/build/bench"
  "$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DQUILL_TESTS=OFF -DQUILL_BENCH=ON
  export QUILL_BENCH_BUILD="$build"
fi
# One virtual X screen for every program.
if [ -z "${QUILL_BENCH_SCREEN:-}" ]; then
  export QUILL_BENCH_SCREEN=1
  exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$0" "$@" </dev/null
fi
export QUILLMOOR_HEADLESS=1 SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
output=$(mktemp)
summary=$(mktemp)
taken=$(mktemp)
trap 'rm -f "$output" "$summary" "$taken"' EXIT
# The targets set for the run, "<benchmark>.<figure>=<limit>" each: a program is handed those of
# the benchmarks it runs (and misses any of them that none of its figures takes); a target whose
# benchmark no program runs is missed here.
IFS=',' read -r -a targets <<<"${QUILL_BENCH_TARGETS:-}"
benchmarkOf() {
  local named=${1%%=*}
  printf '%s\n' "${named%.*}"
}
ran=0
failed=0
for program in "$QUILL_BENCH_BUILD"/bench/bench_*; do
  [ -x "$program" ] || continue
  name=$(basename "$program")
  # A program none of whose benchmarks the expression names is passed over. Listing judges the
  # targets of the run too: status 1 and the MISSED lines only say that nothing ran yet, but a
  # program that refuses its command line or QUILL_BENCH_TARGETS (status 2), or cannot even
  # list, fails with its own error.
  set +e
  listed=$("$program" --benchmark_list_tests --benchmark_filter="$filter" 2>"$output" </dev/null)
  status=$?
  set -e
  if [ "$status" -gt 1 ]; then
    failed=$((failed + 1))
    echo "== $name"
    cat "$output" >&2
    echo "FAILED $name: it could not list its benchmarks (status $status): $(paste -sd ' ' "$output")" >>"$summary"
    continue
  fi
  listed=$(grep -v '^MISSED ' <<<"$listed" || true)
  [ -n "$listed" ] || continue
  ran=$((ran + 1))
  benchmarks=$(sed 's|/.*||' <<<"$listed")
  own=""
  for target in "${targets[@]}"; do
    [ -n "$target" ] || continue
    if grep -qxF -- "$(benchmarkOf "$target")" <<<"$benchmarks"; then
      own="${own:+$own,}$target"
      printf '%s\n' "$target" >>"$taken"
    fi
  done
  echo "== $name"
  set +e
  QUILL_BENCH_TARGETS="$own" "$program" --benchmark_filter="$filter" </dev/null | tee "$output"
  status=${PIPESTATUS[0]}
  set -e
  if grep -E '^(MISSED|FAILED) ' "$output" >>"$summary"; then
    :
  elif [ "$status" -ne 0 ]; then
    echo "FAILED $name: it ended with status $status" >>"$summary"
  fi
done
if [ "$ran" -eq 0 ] && [ "$failed" -eq 0 ]; then
  echo "bench: no benchmark matches \"$filter\"" >&2
  exit 1
fi
for target in "${targets[@]}"; do
  [ -z "$target" ] || grep -qxF -- "$target" "$taken" ||
    echo "MISSED $(benchmarkOf "$target"): the target $target names no benchmark of the run" >>"$summary"
done
if [ -s "$summary" ]; then
  echo
  echo "bench: $(wc -l <"$summary") target(s) missed or benchmark(s) failed:"
  cat "$summary"
  exit 1
fi
echo
echo "bench: every target met"
