#!/usr/bin/env bash
# Builds the Windows files of the system layer with Qt Core from the cache
# (deps.sh; its build tree will do before Qt is installed) and runs their
# checks under Wine. Exit status 0 when all pass.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=common.sh
. "$here/common.sh"
prefix=$(qv_prefix)
qt_lib=$prefix/lib
qt_include=$prefix/include
qt_bin=$prefix/bin
if [ ! -f "$qt_lib/libQt6Core.a" ]; then
  qt_lib=$prefix/../build/qtbase/lib
  qt_include=$prefix/../build/qtbase/include
  qt_bin=$prefix/../build/qtbase/bin
fi
[ -f "$qt_lib/libQt6Core.a" ] || { echo "Qt Core is not built yet: scripts/windows/deps.sh" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
src=$qv_repo/src
$qv_mingw-g++-posix -std=c++20 -O1 -Wno-attributes -I"$src" -I"$qt_include" -I"$qt_include/QtCore" "$here/seam_check.cpp" \
  "$src/sources/FileIdentity.cpp" "$src/sources/FileIdentityWindows.cpp" "$src/sources/PositionalReadWindows.cpp" \
  "$src/app/FolderSystemWindows.cpp" "$src/app/Folders.cpp" -L"$qt_lib" -lQt6Core -o "$out/seam_check.exe"
runtime=$(dirname "$($qv_mingw-g++-posix -print-file-name=libstdc++-6.dll)")
winpath() { echo "Z:${1//\//\\}"; }
export WINEPREFIX=${QUORVANT_WINEPREFIX:-$out/wine} WINEDEBUG=-all
export WINEPATH="$(winpath "$qt_bin");$(winpath "$runtime");$(winpath "/usr/$qv_mingw/lib")"
/usr/lib/wine/wine64 "$out/seam_check.exe"
