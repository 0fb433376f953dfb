#!/usr/bin/env bash
# Puts beside the Windows programs in BIN every DLL and Qt plugin they load:
#   scripts/windows/deploy.sh PREFIX BIN
# PREFIX is the Windows libraries' prefix (deps.sh). The plugins go in BIN's
# subfolders, where Qt looks beside the program; the DLLs are found by
# following the imports of the programs, the plugins and the DLLs themselves.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=common.sh
. "$here/common.sh"
prefix=$1
bin=$2

# The plugins the programs load: the Windows platform (and offscreen, for
# running without a screen), the native style, the SQL drivers, the picture
# formats and the SVG icon engine.
# QUORVANT_WINDOWS_PLUGINS (blank-separated) names others, to deploy a smaller program.
plugins=(platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle sqldrivers/qsqlite sqldrivers/qsqlodbc
  imageformats/qsvg imageformats/qico imageformats/qgif imageformats/qjpeg iconengines/qsvgicon)
if [ -n "${QUORVANT_WINDOWS_PLUGINS:-}" ]; then
  read -ra plugins <<<"$QUORVANT_WINDOWS_PLUGINS"
fi
for p in "${plugins[@]}"; do
  src=$prefix/plugins/$p.dll
  # Without Qt Svg the program draws PNG pictures and needs no SVG plugin.
  if [ ! -f "$src" ] && [[ $p == */qsvg* ]]; then
    echo "not deployed, Qt Svg is not built: $p"
    continue
  fi
  if [ ! -f "$src" ]; then
    echo "missing Qt plugin: $src" >&2
    exit 1
  fi
  mkdir -p "$bin/$(dirname "$p")"
  cp "$src" "$bin/$p.dll"
done

# Every DLL the programs and plugins import, followed through the imports of
# the DLLs themselves; those found in none of these folders are Windows' own.
mingw_runtime=$(dirname "$($qv_mingw-g++-posix -print-file-name=libstdc++-6.dll)")
search=("$prefix/bin" "$prefix/lib" "$mingw_runtime" "/usr/$qv_mingw/lib")
imports() { $qv_mingw-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
find_dll() {
  local d
  for d in "${search[@]}"; do
    [ -f "$d/$1" ] && { echo "$d/$1"; return 0; }
  done
  return 1
}
queue=()
while IFS= read -r f; do queue+=("$f"); done < <(find "$bin" -name '*.exe' -o -name '*.dll')
declare -A seen=()
system=()
while [ ${#queue[@]} -gt 0 ]; do
  f=${queue[0]}
  queue=("${queue[@]:1}")
  while IFS= read -r dll; do
    key=${dll,,}
    [ -n "${seen[$key]:-}" ] && continue
    seen[$key]=1
    if path=$(find_dll "$dll"); then
      cp "$path" "$bin/"
      queue+=("$bin/$dll")
    else
      system+=("$dll")
    fi
  done < <(imports "$f")
done
echo "Windows' own DLLs the programs use: ${system[*]}"

