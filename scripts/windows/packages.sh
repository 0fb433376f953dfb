#!/usr/bin/env bash
# Installs the Debian packages the Windows cross build, its installer and its
# tests under Wine need, and enables Debian source packages (the Windows
# libraries are built from them). Safe to run again.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine64 wine nsis zip unzip dpkg-dev cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev librsvg2-bin
  tcl xvfb xauth xdotool imagemagick autoconf automake libtool
)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

"$(dirname "$0")/../debian-sources.sh"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=1800 install -y --no-install-recommends "${missing[@]}"
fi
