#!/usr/bin/env bash
# Builds libxlsxwriter from Debian's source package as a static library with
# its shortest-text number printing (USE_DTOA_LIBRARY), and prints the folder
# it is installed in. Debian's own build prints numbers with 16 significant
# digits, so that 96.9 reaches the workbook as 96.90000000000001; this one
# writes each number as the shortest text that reads back as the same value.
# Built once per source version into a cache shared by every build folder.
#
#   QUORVANT_THIRD_PARTY_CACHE  the cache (default ~/.cache/quorvant)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${QUORVANT_THIRD_PARTY_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quorvant}

version() { apt-cache showsrc --only-source libxlsxwriter 2>/dev/null | awk '/^Version:/ {print $2}' | sort -V | tail -1; }
v=$(version)
if [ -z "$v" ]; then
  "$here/debian-sources.sh" >&2
  v=$(version)
fi
[ -n "$v" ] || { echo "No source package of libxlsxwriter is known to apt" >&2; exit 1; }

dir=$cache/libxlsxwriter-$v-dtoa
if [ ! -f "$dir/prefix/lib/libxlsxwriter.a" ]; then
  rm -rf "$dir"
  mkdir -p "$dir/src"
  (cd "$dir/src" && apt-get source --only-source "libxlsxwriter=$v" >&2)
  src=$(find "$dir/src" -mindepth 1 -maxdepth 1 -type d -name 'libxlsxwriter*' | head -1)
  cmake -S "$src" -B "$dir/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$dir/prefix" \
    -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
    -DUSE_DTOA_LIBRARY=ON -DUSE_SYSTEM_MINIZIP=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF >&2
  cmake --build "$dir/build" >&2
  cmake --install "$dir/build" >&2
  rm -rf "$dir/src" "$dir/build"
fi
echo "$dir/prefix"
