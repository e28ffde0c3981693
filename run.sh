#!/usr/bin/env bash
# Installs what is missing, builds the game (and nothing else) and starts it in build/game.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
./scripts/build.sh furrow
cd build/game
status=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running headless with the bundled input script (headless_input.txt)."
  FURROW_INPUT="${FURROW_INPUT:-script:headless_input.txt}" FURROW_CLOCK="${FURROW_CLOCK:-fixed:60}" ./furrow || status=$?
else
  ./furrow || status=$?
fi
echo "The console log is '$(pwd)/!console.txt'"
exit $status
