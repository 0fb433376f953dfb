#!/usr/bin/env bash
# Builds the Windows files of the system layer with Qt Core from the cache
# (deps.sh; its build tree will do before Qt is installed) and runs their
# checks under Wine. Exit status 0 when all pass, 77 when this machine lacks
# what they need (the cross compiler, Wine, Qt Core for Windows).
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
if [ ! -f "$qt_lib/libQt6Core.a" ] || [ ! -x /usr/lib/wine/wine64 ] || ! command -v $qv_mingw-g++-posix >/dev/null; then
  echo "Qt Core for Windows, the cross compiler or Wine is missing here (scripts/windows/deps.sh)" >&2
  exit 77
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
src=$qv_repo/src
$qv_mingw-g++-posix -std=c++20 -O1 -Wno-attributes -I"$src" -I"$qt_include" -I"$qt_include/QtCore" "$here/seam_check.cpp" \
  "$src/sources/FileIdentity.cpp" "$src/sources/FileIdentityWindows.cpp" "$src/sources/PositionalReadWindows.cpp" \
  "$src/app/FolderSystemWindows.cpp" "$src/app/Folders.cpp" "$src/cli/CliConsoleWindows.cpp" \
  "$src/app/RegularFile.cpp" "$src/app/RegularFileWindows.cpp" "$src/returns/StagedFile.cpp" \
  "$src/returns/StagedFileWindows.cpp" -L"$qt_lib" -lQt6Core -o "$out/seam_check.exe"
runtime=$(dirname "$($qv_mingw-g++-posix -print-file-name=libstdc++-6.dll)")
winpath() { echo "Z:${1//\//\\}"; }
export WINEPREFIX=${QUORVANT_WINEPREFIX:-$out/wine} WINEDEBUG=-all
export WINEPATH="$(winpath "$qt_bin");$(winpath "$runtime");$(winpath "/usr/$qv_mingw/lib")"
failed=0
/usr/lib/wine/wine64 "$out/seam_check.exe" || failed=1
# Ctrl+C needs a console: Wine makes one on a terminal, which script(1) gives.
for times in once twice; do
  args=console
  [ $times = twice ] && args="console twice"
  status=0
  shown=$(script -eqc "/usr/lib/wine/wine64 '$out/seam_check.exe' $args" /dev/null | tr -d '\r' |
    sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g') || status=$?
  if [ $status -eq 130 ] && grep -qE 'cancel ?1' <<<"$shown" && ! grep -q alive <<<"$shown"; then
    echo "ok   Ctrl+C $times: the work is asked to stop, then status 130"
  else
    echo "FAIL Ctrl+C $times: status $status, $(tr '\n' ' ' <<<"$shown")"
    failed=1
  fi
done
exit $failed
