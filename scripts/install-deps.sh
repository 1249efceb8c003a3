#!/usr/bin/env bash
# Installs every Debian package needed to build, test and benchmark the player.
# Usable as root on a fresh Debian 12 machine; uses sudo when run as another user.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libavcodec-dev libavformat-dev libavutil-dev libavfilter-dev
  libswscale-dev libswresample-dev libavdevice-dev
  libsdl2-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  googletest libgtest-dev libgmock-dev
  ffmpeg
  xvfb xauth x11-utils
  mpv time
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
