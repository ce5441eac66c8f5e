#!/usr/bin/env bash
# Installs the Debian 12 packages the suite builds, tests and runs with.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config git
  clang libclang-rt-14-dev clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libturbojpeg0-dev libjpeg62-turbo-dev
  libcurl4-openssl-dev libssl-dev
  libasound2-dev
  qt6-base-dev libgl-dev
  fonts-dejavu-core fonts-dejavu-extra
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
  libgsf-1-dev
  curl xdg-utils
  xvfb xdotool imagemagick
  python3-olefile
)

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
echo "dependencies installed"
