#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the game need, when any is missing.
# With --fuzz, also clang and its fuzzing runtime, which only the fuzz build (README, Testing) needs.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  libsdl2-dev
  libepoxy-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libopenal-dev libogg-dev libvorbis-dev
  libbullet-dev
  libfreetype-dev fonts-dejavu-core
  libstb-dev
  libgtest-dev libbenchmark-dev
  libirrlicht-doc
)
if [ "${1:-}" = "--fuzz" ]; then
  PACKAGES+=(clang-14 libclang-rt-14-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
