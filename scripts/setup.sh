#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need, then
# configures and builds into build/. Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  build-essential cmake ninja-build pkg-config ccache clang clang-format
  qt6-base-dev qt6-svg-dev libqt6svg6 libqt6sql6-sqlite libqt6sql6-odbc
  libqt6opengl6-dev
  libsqlite3-dev libxml2-dev libxml2-utils mdbtools mdbtools-dev
  unixodbc-dev unixodbc tdsodbc odbc-postgresql postgresql
  libclang-rt-dev llvm
  python3 python3-dbf python3-xlwt
  xvfb xauth x11-apps x11-utils openbox xdotool imagemagick fonts-dejavu-core libx11-dev time
  desktop-file-utils appstream lintian dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

build="${QUORVANT_BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}"
cmake --build "$build" --parallel "$(nproc)"
