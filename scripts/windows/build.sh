#!/usr/bin/env bash
# Cross-builds quorvant.exe, quorvant-cli.exe and the test executables for
# 64-bit Windows against the libraries deps.sh built, then makes:
#   build-windows/deploy/Quorvant-<version>/   the programs with every DLL and Qt
#                                               plugin they load, and the schema
#   build-windows/Quorvant-<version>-setup.exe the installer (NSIS)
#   build-windows/Quorvant-<version>-portable.zip
#
#   QUORVANT_WINDOWS_BUILD_DIR   the build folder (default build-windows/)
#   QUORVANT_WINDOWS_JOBS        parallel jobs (default 2)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=common.sh
. "$here/common.sh"

"$here/packages.sh"
prefix=$(qv_prefix)
if [ -z "${QUORVANT_WINDOWS_PREFIX:-}" ] && [ ! -f "$prefix/../complete" ]; then
  echo "The Windows libraries are not built yet ($prefix): run scripts/windows/deps.sh first." >&2
  exit 1
fi
build=${QUORVANT_WINDOWS_BUILD_DIR:-$qv_repo/build-windows}
jobs=${QUORVANT_WINDOWS_JOBS:-2}
version=$(sed -n 's/^project(Quorvant VERSION \([0-9.]*\).*/\1/p' "$qv_repo/CMakeLists.txt")

cmake -S "$qv_repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$qv_toolchain" -DQUORVANT_WINDOWS_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
nice cmake --build "$build" -j"$jobs"

# The deployment folder: bin/ holds the programs, their DLLs and Qt's plugins
# (found beside the program, no qt.conf needed); share/quorvant/ the schema,
# where the program looks for it (../share/quorvant from the program).
deploy=$build/deploy/Quorvant-$version
rm -rf "$deploy"
mkdir -p "$deploy/bin" "$deploy/share/quorvant"
cp "$build/src/quorvant.exe" "$build/src/quorvant-cli.exe" "$deploy/bin/"
cp "$qv_repo/data/ACES_DLR.xsd" "$deploy/share/quorvant/"
cp "$qv_repo/data/install/copyright" "$deploy/LICENSE.txt"

"$here/deploy.sh" "$prefix" "$deploy/bin"

# The test executables, for scripts/windows/test.sh, stay in the build folder.

"$here/package.sh" "$deploy" "$build"
