#!/usr/bin/env bash
# Installs everything the build, the tests and the sample run need on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
pkgs=(
  build-essential cmake pkg-config clang clang-format libclang-rt-14-dev
  libgtest-dev googletest
  libmp3lame-dev libmpg123-dev libsndfile1-dev
  libgtk-3-dev
  xvfb xauth x11-utils imagemagick xdotool
  fonts-ipafont-gothic fonts-noto-cjk
  desktop-file-utils librsvg2-bin
  lame mpg123 sox
  time python3
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
