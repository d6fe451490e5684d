#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# skipping those already present.
set -euo pipefail

packages=(
  cmake make g++ googletest
  g++-mingw-w64-x86-64 wine wine64 fonts-wine fonts-liberation xvfb xauth
  xdotool imagemagick fonts-dejavu-core
  clang clang-format libclang-rt-14-dev libgif-dev python3-pil
  libjpeg-dev libpng-dev libstb-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  # With recommends: Wine needs its fonts and X rendering libraries to draw
  # text and windows as the tests expect.
  "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
fi
