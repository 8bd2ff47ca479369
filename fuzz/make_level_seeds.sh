#!/usr/bin/env bash
# Makes the starting inputs of the saved-level fuzzers (fuzz/corpus/saved_level and
# fuzz/corpus/controller_restore) again from the shipped levels. Each is the unfinished level as
# the game writes it when the player leaves: levelplay plays the level's script
# (data/Levels/nK.play) up to that time, leaves the level and keeps the save (--keep-saves).
# A seed made on a level that has changed since is refused at the first check of the restore,
# and so is every input made from it: run this after changing a level (a test of the build
# loads every seed on its level and names the one that no longer fits). The findings beside
# the seeds, inputs that once broke the restore, are seeds with one record changed by hand.
#
#   fuzz/make_level_seeds.sh BUILD_FOLDER      (e.g. build/test, where tools/levelplay is)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: make_level_seeds.sh BUILD_FOLDER}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# seed CORPUS NAME LEVEL SECONDS [CLICKS]: the level left at SECONDS after its script's clicks
# before then (only the first CLICKS of them when given), as CORPUS/NAME.
seed() {
  local corpus=$1 name=$2 level=$3 at=$4 clicks=${5:-}
  local script="$work/$name.play"
  grep -E '^[[:space:]]*at ' "$root/data/Levels/n$level.play" | awk -v at="$at" '$2 + 0 < at' |
    head -n "${clicks:-100000}" >"$script"
  echo "at $at save" >>"$script"
  rm -rf "$work/saves"
  local status=0
  QUILLMOOR_HEADLESS=1 SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 "$build/tools/levelplay" \
    --data "$root/data" --max-time $((at + 1)) --keep-saves "$work/saves" "$level" "$script" \
    >"$work/output" 2>&1 || status=$?
  if [ "$status" -gt 1 ] || [ ! -s "$work/saves/save-1.bin" ]; then
    echo "make_level_seeds: level $level left at $at s wrote no save:" >&2
    cat "$work/output" >&2
    exit 1
  fi
  cp "$work/saves/save-1.bin" "$root/fuzz/corpus/$corpus/$name.save"
  echo "$corpus/$name.save"
}

# The reader's seeds: levels of four landscapes, fresh and played, and one left after its gold
# time without its last click, which holds the help the game gives then.
seed saved_level n0_at_1s 0 1
seed saved_level n3_at_33s 3 33
seed saved_level n5_at_84s_help 5 84 7
seed saved_level n16_at_1s 16 1
seed saved_level n30_at_45s 30 45

# The planner's seeds, taken in the middle of play: heroes walking and working, goals waiting,
# mills and plants producing, fires burning, quakes shaking, animals waiting and help falling.
seed controller_restore n0_at_10s 0 10
seed controller_restore n1_at_24s 1 24
seed controller_restore n3_at_33s 3 33
seed controller_restore n4_at_1s 4 1
seed controller_restore n8_at_57s 8 57
seed controller_restore n16_at_54s 16 54
seed controller_restore n30_at_45s 30 45
seed controller_restore n30_at_135s 30 135
seed controller_restore n33_at_114s 33 114
