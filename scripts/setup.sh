#!/usr/bin/env bash
# Installs every Debian package Qavel needs to build, run and test.
# Safe to run repeatedly: apt is only called when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  zlib1g-dev libexpat1-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libglx-dev libopengl-dev
  libgl1-mesa-dri
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format clang-tidy git
  xvfb xauth x11-apps imagemagick
  python3 python3-ezdxf assimp-utils
  help2man librsvg2-bin dpkg-dev desktop-file-utils appstream shared-mime-info libglib2.0-bin man-db
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
