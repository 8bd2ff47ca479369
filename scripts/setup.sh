#!/usr/bin/env bash
# Installs every Debian package that building, playing and testing Quillmoor needs.
# Idempotent: prints nothing and touches nothing when everything is installed already.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-14 libclang-rt-14-dev
  clang-format-14  # scripts/check-format.sh
  libboost-dev libexpat1-dev zlib1g-dev libminizip-dev libpng-dev libjpeg-dev
  libfreetype-dev libsdl2-dev libsdl2-mixer-dev libvorbis-dev
  libsdl2-2.0-0 libsdl2-mixer-2.0-0  # opened at run time (platform/system/SdlLibrary), not linked
  libfontconfig-dev libcairo2-dev libx11-dev
  libgl-dev libegl-dev libgl1-mesa-dri libglx-mesa0 libegl-mesa0
  xvfb xauth
  openbox  # a light window manager: the display tests of full screen and focus start it
  libgtest-dev libgmock-dev libbenchmark-dev
  fontconfig fonts-dejavu-core
  zip  # the pack tests also read packs the real zip tool makes (zip64 among them)
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq </dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null >/dev/null
