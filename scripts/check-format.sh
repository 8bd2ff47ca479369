#!/usr/bin/env bash
# Checks that every C++ source of the project is laid out as the repository's .clang-format
# says; lists the files that differ and fails when there are any. With --fix, formats them.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
  echo "check-format: clang-format (14) is not installed" >&2
  exit 1
fi
cd "$root"
mapfile -d '' files < <(find platform engine game tests tools bench fuzz \
  -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)
if [ "${1:-}" = "--fix" ]; then
  "$format" -i --style=file "${files[@]}"
  exit $?
fi
# One run over every file; each place that differs is reported as "<file>:<line>:<col>: error".
report=$("$format" --style=file --dry-run --Werror "${files[@]}" 2>&1)
status=$?
mapfile -t differ < <(printf '%s\n' "$report" | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ "$status" -ne 0 ] && [ ${#differ[@]} -eq 0 ]; then
  echo "check-format: clang-format failed:" >&2
  printf '%s\n' "$report" >&2
  exit 1
fi
if [ ${#differ[@]} -ne 0 ]; then
  echo "check-format: ${#differ[@]} file(s) differ from .clang-format (scripts/check-format.sh --fix formats them):" >&2
  printf '  %s\n' "${differ[@]}" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files as .clang-format lays them out"
