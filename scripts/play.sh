#!/usr/bin/env bash
# Sets everything up, builds the game and runs it. Extra arguments go to the game
# (a level file to play at once).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
[ -x "$root/build/game/quillmoor" ] || echo "play: building the game in build/game; the first build takes a few minutes"
"$root/scripts/build.sh" "$root/build/game" -DCMAKE_BUILD_TYPE=Release -DQUILL_TESTS=OFF -DQUILL_BENCH=OFF
exec "$root/build/game/quillmoor" "$@"
