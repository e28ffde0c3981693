#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game in build/game.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
./scripts/build.sh
cd build/game
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running headless with the bundled input script (headless_input.txt)."
  status=0
  FURROW_INPUT="${FURROW_INPUT:-script:headless_input.txt}" FURROW_CLOCK="${FURROW_CLOCK:-fixed:60}" ./furrow || status=$?
  echo "The console log is $(pwd)/!console.txt"
  exit $status
fi
exec ./furrow
