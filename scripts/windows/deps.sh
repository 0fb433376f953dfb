#!/usr/bin/env bash
# Builds the Windows libraries the program needs with the mingw-w64 cross
# compiler, from Debian's source packages, into the cache (see common.sh):
# SQLite, zlib, libxml2, libxlsxwriter, libmdb, then Qt (qtbase, qtsvg,
# qtcharts). Skipped when already built; run again, it goes on where an
# interrupted run stopped (the build trees stay, each step leaves a stamp).
#
#   scripts/windows/deps.sh               build in the foreground
#   scripts/windows/deps.sh --background  the same at the lowest priority, detached,
#                                         logged to /var/log/quorvant-windows-deps.log
#   scripts/windows/deps.sh --status      print the cache folder and its stamps
#   scripts/windows/deps.sh --ready       exit 0 when all is built (installs nothing)
#
#   QUORVANT_WINDOWS_JOBS   parallel jobs (default 2)
set -euo pipefail
# All in one block, read whole before it runs: a checkout that changes this
# file under a running build does not change what that build does.
{
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=common.sh
. "$here/common.sh"

log=${QUORVANT_WINDOWS_DEPS_LOG:-/var/log/quorvant-windows-deps.log}
case "${1:-}" in
--background)
  "$here/packages.sh"
  setsid nice -n 19 ionice -c3 "$0" >"$log" 2>&1 </dev/null &
  echo "started (pid $!), log: $log"
  exit 0
  ;;
--ready)
  # Exit status 0 when everything is built for the current versions.
  [ -f "$qv_cache_root/$(qv_key)/complete" ]
  exit
  ;;
--status)
  dir=$qv_cache_root/$(qv_key)
  echo "$dir"
  ls -1 "$dir/stamps" 2>/dev/null || echo "(nothing built yet)"
  exit 0
  ;;
"") ;;
*)
  echo "usage: $0 [--background|--status|--ready]" >&2
  exit 2
  ;;
esac

"$here/packages.sh"

jobs=${QUORVANT_WINDOWS_JOBS:-2}
key=$(qv_key)
dir=$qv_cache_root/$key
prefix=$dir/prefix
stamps=$dir/stamps
mkdir -p "$dir/download" "$dir/src" "$dir/build" "$prefix/bin" "$prefix/lib/pkgconfig" "$prefix/include" "$stamps"
qv_versions >"$dir/versions.txt"
# The cache keeps its own copy of the toolchain file: its build trees name it,
# and they must go on building whichever checkout runs this next.
toolchain=$dir/mingw-w64-x86_64.cmake
cmp -s "$qv_toolchain" "$toolchain" || cp "$qv_toolchain" "$toolchain"

# One run at a time per cache folder.
exec 9>"$dir/.lock"
if ! flock -n 9; then
  echo "another deps.sh is building in $dir" >&2
  exit 1
fi

export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=""
export QUORVANT_WINDOWS_PREFIX=$prefix
cc=$qv_mingw-gcc-posix
cflags="-O2 -g0"
unavailable=()

now() { date +%s; }
say() { echo "[$(date -u +%H:%M:%S)] $*"; }
done_() { [ -f "$stamps/$1" ]; }
stamp() { touch "$stamps/$1"; }

# Unpacks a source package into src/NAME (Debian's patches applied).
# Fails when the package host does not have the source.
fetch() {
  local name=$1 version
  done_ "$name.source" && return 0
  version=$(qv_source_version "$name")
  [ -n "$version" ] || return 1
  (cd "$dir/download" && apt-get source --download-only --only-source "$name=$version") || return 1
  rm -rf "$dir/src/$name"
  dpkg-source --no-check -x "$dir/download/${name}_${version#*:}.dsc" "$dir/src/$name"
  stamp "$name.source"
}

# Runs one recipe unless its stamp is there, timing it; a missing source is
# noted and the others go on.
step() {
  local name=$1 source=$2 start
  if done_ "$name.done"; then
    say "$name: already built"
    return 0
  fi
  if ! fetch "$source"; then
    say "$name: the source package $source is not available"
    unavailable+=("$name")
    return 0
  fi
  start=$(now)
  say "$name: building"
  "build_${name//-/_}"
  stamp "$name.done"
  echo "$(($(now) - start))" >"$stamps/$name.seconds"
  say "$name: done in $(($(now) - start)) s"
}

pc() { # name version libs [requires]
  cat >"$prefix/lib/pkgconfig/$1.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: $1
Description: $1 for Windows
Version: $2
Requires.private: ${4:-}
Libs: -L\${libdir} $3
Cflags: -I\${includedir}
EOF
}

build_zlib() {
  local b=$dir/build/zlib
  rm -rf "$b" && mkdir -p "$b"
  cp -a "$dir/src/qt6-base/src/3rdparty/zlib/src/." "$b/"
  # Qt's copy carries Qt's patches (a symbol prefix, Qt's config header): take them off.
  # The zlib.h hunk does not apply (its context names an older ZLIB_VERNUM); that part is done by hand.
  (cd "$b" && patch -R -p1 -s --no-backup-if-mismatch -r - <"$dir/src/qt6-base/src/3rdparty/zlib/qtpatches.diff" || true)
  sed -i -e '/#include <qglobal.h>/,/#define ZEXTERN Q_CORE_EXPORT/d' -e 's/"1.2.13 (Qt)"/"1.2.13"/' "$b/zlib.h"
  if grep -lE 'qglobal|qconfig|Q_CORE|\(Qt\)|^#define Z_PREFIX' "$b"/*.[ch]; then
    echo "zlib: Qt's changes are still in the files above" >&2
    return 1
  fi
  (cd "$b" && $cc $cflags -shared -o zlib1.dll ./*.c -Wl,--out-implib,libz.dll.a)
  cp "$b/zlib.h" "$b/zconf.h" "$prefix/include/"
  cp "$b/zlib1.dll" "$prefix/bin/"
  cp "$b/libz.dll.a" "$prefix/lib/"
  pc zlib "$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"/\1/p' "$b/zlib.h")" -lz
}

build_sqlite() {
  local s=$dir/src/sqlite3 b=$dir/build/sqlite
  mkdir -p "$b"
  # The amalgamation is made on the host (it needs tclsh), then compiled for Windows.
  if [ ! -f "$b/sqlite3.c" ]; then
    (cd "$b" && "$s/configure" --disable-tcl >/dev/null && make -j"$jobs" sqlite3.c sqlite3.h >/dev/null)
  fi
  # The features Debian's own build turns on.
  local defs="-DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS3 -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_FTS4
    -DSQLITE_ENABLE_FTS5 -DSQLITE_ENABLE_RTREE=1 -DSQLITE_SOUNDEX=1 -DSQLITE_ENABLE_UNLOCK_NOTIFY
    -DSQLITE_ENABLE_DBSTAT_VTAB -DSQLITE_ENABLE_UPDATE_DELETE_LIMIT -DSQLITE_MAX_SCHEMA_RETRY=25
    -DSQLITE_ENABLE_PREUPDATE_HOOK -DSQLITE_ENABLE_SESSION -DSQLITE_ENABLE_STMTVTAB -DSQLITE_ENABLE_MATH_FUNCTIONS
    -DSQLITE_SECURE_DELETE -DSQLITE_THREADSAFE=1"
  # shellcheck disable=SC2086
  (cd "$b" && $cc $cflags $defs "-DSQLITE_API=__declspec(dllexport)" -shared -o sqlite3.dll sqlite3.c \
    -Wl,--out-implib,libsqlite3.dll.a)
  cp "$b/sqlite3.h" "$s/src/sqlite3ext.h" "$prefix/include/"
  cp "$b/sqlite3.dll" "$prefix/bin/"
  cp "$b/libsqlite3.dll.a" "$prefix/lib/"
  pc sqlite3 "$(cat "$s/VERSION")" -lsqlite3
}

build_libxml2() {
  local s=$dir/src/libxml2 b=$dir/build/libxml2
  mkdir -p "$b"
  if ! done_ libxml2.configure; then
    # Debian's patches touch the automake files; regenerate as Debian's build does.
    (cd "$s" && autoreconf -fi)
    (cd "$b" && CC=$cc CFLAGS="$cflags" "$s/configure" --host=$qv_mingw --prefix="$prefix" \
      --enable-shared --disable-static --without-python --without-lzma --without-iconv --without-icu \
      --without-readline --without-http --without-ftp \
      --with-zlib="$prefix")
    stamp libxml2.configure
  fi
  make -C "$b" -j"$jobs"
  make -C "$b" install
}

# With its shortest-text number printing (USE_DTOA_LIBRARY), as on Linux: the
# default prints 16 significant digits (96.9 as 96.90000000000001).
build_libxlsxwriter_dtoa() {
  local s=$dir/src/libxlsxwriter b=$dir/build/libxlsxwriter
  cmake -S "$s" -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON -DUSE_SYSTEM_MINIZIP=OFF -DBUILD_TESTS=OFF \
    -DBUILD_EXAMPLES=OFF -DZLIB_ROOT="$prefix" -DUSE_DTOA_LIBRARY=ON
  cmake --build "$b" -j"$jobs"
  cmake --install "$b"
  [ -f "$prefix/lib/pkgconfig/xlsxwriter.pc" ] ||
    pc xlsxwriter "$(sed -n 's/^#define LXW_VERSION "\(.*\)"/\1/p' "$s/include/xlsxwriter.h")" -lxlsxwriter zlib
}

# Only the library (libmdb), with mdbtools' own small stand-in for GLib.
build_libmdb() {
  local s=$dir/src/mdbtools b=$dir/build/libmdb
  mkdir -p "$b"
  if ! done_ libmdb.configure; then
    (cd "$s" && [ -x configure ] || autoreconf -fi)
    (cd "$b" && CC=$cc CFLAGS="$cflags" "$s/configure" --host=$qv_mingw --prefix="$prefix" \
      --enable-shared --disable-static --disable-glib --disable-man --without-unixodbc --disable-gmdb2)
    stamp libmdb.configure
  fi
  make -C "$b/src/libmdb" -j"$jobs"
  make -C "$b/src/libmdb" install
  make -C "$b/include" install || cp "$s"/include/mdbtools.h "$s"/include/mdbfakeglib.h "$prefix/include/"
  [ -f "$prefix/lib/pkgconfig/libmdb.pc" ] || pc libmdb "$(cd "$s" && dpkg-parsechangelog -SVersion)" -lmdb
}

qt_common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF)

build_qtbase() {
  local s=$dir/src/qt6-base b=$dir/build/qtbase
  # No tablet events: Debian's source leaves out the Wintab header they need on Windows.
  if ! done_ qtbase.configure; then
    cmake -S "$s" -B "$b" "${qt_common[@]}" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DFEATURE_dbus=OFF -DFEATURE_network=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
      -DFEATURE_printsupport=OFF -DFEATURE_sql=ON -DFEATURE_testlib=ON -DFEATURE_widgets=ON \
      -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
      -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
      -DFEATURE_sql_sqlite=ON -DFEATURE_system_sqlite=ON -DFEATURE_sql_odbc=ON \
      -DFEATURE_sql_psql=OFF -DFEATURE_sql_mysql=OFF -DFEATURE_sql_ibase=OFF -DFEATURE_sql_oci=OFF \
      -DFEATURE_sql_db2=OFF -DFEATURE_sql_mimer=OFF \
      -DFEATURE_tabletevent=OFF \
      -DSQLite3_INCLUDE_DIR="$prefix/include" -DSQLite3_LIBRARY="$prefix/lib/libsqlite3.dll.a"
    stamp qtbase.configure
  fi
  cmake --build "$b" -j"$jobs"
  cmake --install "$b"
}

qt_module() { # source-package build-folder
  local s=$dir/src/$1 b=$dir/build/$2
  if ! done_ "$2.configure"; then
    cmake -S "$s" -B "$b" "${qt_common[@]}" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$prefix"
    stamp "$2.configure"
  fi
  cmake --build "$b" -j"$jobs"
  cmake --install "$b"
}
build_qtsvg() { qt_module qt6-svg qtsvg; }
build_qtcharts() { qt_module qt6-charts qtcharts; }

say "cache: $dir"
total=$(now)
# zlib is taken from qt6-base's sources, so that source comes first (unpacking only).
step zlib qt6-base
step sqlite sqlite3
step libxml2 libxml2
step libxlsxwriter-dtoa libxlsxwriter
step libmdb mdbtools
step qtbase qt6-base
step qtsvg qt6-svg
step qtcharts qt6-charts

# The program builds without these (PNG pictures, no Access files; Qt Charts is
# no longer used): when their sources cannot be had the cache is still complete,
# and a later run that can fetch them builds them.
optional=" libmdb qtsvg qtcharts "
missing=()
for name in "${unavailable[@]}"; do
  if [[ $optional == *" $name "* ]]; then
    say "$name: unavailable, skipped"
  else
    missing+=("$name")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  say "not built, their source packages are not available: ${missing[*]}"
  exit 1
fi
touch "$dir/complete"
ln -sfn "$key" "$qv_cache_root/current"
say "all built in $(($(now) - total)) s: $prefix"
exit
}
