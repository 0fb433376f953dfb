#!/usr/bin/env bash
# Tests the Windows build under Wine (after scripts/windows/build.sh):
#   0. the system layer's checks (seam-check.sh);
#   1. every ctest suite of the Windows build, offscreen;
#   2. the demo's return written by quorvant-cli.exe has the same bytes as the
#      one the Linux program writes from the same data (the file name aside);
#   3. the installer, run silently, installs a quorvant-cli.exe that exports
#      the demo with the installed schema; the uninstaller removes it and
#      leaves the data;
#   4. the desktop program shows its main window under Xvfb (a screenshot,
#      build-windows/screenshots/main-window.png, to look at).
# Wine runs in a prefix of its own in the build folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=common.sh
. "$here/common.sh"

build=${QUORVANT_WINDOWS_BUILD_DIR:-$qv_repo/build-windows}
linux_build=${QUORVANT_BUILD_DIR:-$qv_repo/build}
version=$(sed -n 's/^project(Quorvant VERSION \([0-9.]*\).*/\1/p' "$qv_repo/CMakeLists.txt")
deploy=$build/deploy/Quorvant-$version
setup=$build/Quorvant-$version-setup.exe
for f in "$deploy/bin/quorvant-cli.exe" "$setup"; do
  [ -f "$f" ] || { echo "$f is missing: run scripts/windows/build.sh first." >&2; exit 1; }
done

wine=/usr/lib/wine/wine64
export WINEPREFIX=${QUORVANT_WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Windows paths for Wine (its Z: drive is the root).
winpath() { echo "Z:${1//\//\\}"; }
"$wine" wineboot --init >/dev/null 2>&1
scratch=$(mktemp -d)
cleanup() {
  "$wine" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT
failed=0

echo "== 0. The system layer's own checks (Ctrl+C on a console among them)"
"$here/seam-check.sh" || failed=1

echo "== 1. The test suites under Wine"
# The tests find their DLLs and Qt's plugins in the deployment folder, and
# Qt Test, which the programs do not load, in the Windows libraries' prefix.
export WINEPATH
WINEPATH="$(winpath "$deploy/bin");$(winpath "$(qv_prefix)/bin")"
# Wine keeps QT_ variables from Windows programs and passes WINEQT_ ones as QT_.
export WINEQT_PLUGIN_PATH
WINEQT_PLUGIN_PATH=$(winpath "$deploy/bin")
(cd "$build" && ctest --output-on-failure --timeout 1200) || failed=1

echo "== 2. The demo's return: the same bytes as the Linux program's"
demo_args=(export --company 1 --period 14041503 --registration AAACB1234CXM001 --year 2014 --quarter Apr-Jun)
# Each with the schema in its application folder: the Linux build tree has no installed one.
for side in linux windows; do
  cp -R "$qv_repo/data/demo" "$scratch/$side"
  cp "$qv_repo/data/ACES_DLR.xsd" "$scratch/$side/"
done
linux_return=$("$linux_build/src/quorvant-cli" --app-dir "$scratch/linux" "${demo_args[@]}" | sed -n 1p)
windows_return=$("$wine" "$deploy/bin/quorvant-cli.exe" --app-dir "$(winpath "$scratch/windows")" "${demo_args[@]}" |
  tr -d '\r' | sed -n 1p)
windows_file=$(find "$scratch/windows" -name "$(basename "${windows_return//\\//}")" | head -1)
if [ -n "$windows_file" ] && cmp "$linux_return" "$windows_file"; then
  echo "Same bytes: $(basename "$linux_return")"
else
  echo "The Windows return ($windows_return) differs from the Linux one ($linux_return)"
  failed=1
fi

echo "== 3. Silent install, an export with the installed program, silent uninstall"
program_files=$WINEPREFIX/drive_c/Program\ Files/Quorvant
"$wine" "$setup" /S
installed_cli=$program_files/bin/quorvant-cli.exe
cp -R "$qv_repo/data/demo" "$scratch/installed"
rm -f "$scratch/installed/ACES_DLR.xsd" # the installed schema must be found
if [ -f "$installed_cli" ] &&
  out=$(env -u WINEPATH -u WINEQT_PLUGIN_PATH "$wine" "$installed_cli" --app-dir "$(winpath "$scratch/installed")" \
    "${demo_args[@]}" | tr -d '\r') && [ -n "$out" ]; then
  echo "The installed program wrote $out"
else
  echo "The installed program did not export the demo"
  failed=1
fi
"$wine" "$program_files/Uninstall.exe" /S
# The uninstaller runs from a copy of itself; wait for it.
for _ in $(seq 60); do [ -e "$program_files/bin/quorvant-cli.exe" ] || break; sleep 1; done
if [ -e "$program_files/bin/quorvant-cli.exe" ] || [ ! -s "$scratch/installed/Data/db.sqlite" ]; then
  echo "The uninstaller left the program, or took the data"
  failed=1
else
  echo "Uninstalled; the data stayed"
fi

echo "== 4. The main window under Xvfb"
shots=$build/screenshots
mkdir -p "$shots"
# A fresh Wine prefix has the US short date: the start-up check asks to set
# dd/MM/yyyy first (Enter answers OK, which sets it for the user), then the
# main window opens with its login.
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  "$1" "$2" --app-dir "$3" & pid=$!
  sleep 30
  xdotool key Return
  sleep 25
  import -window root "$4"
  kill $pid 2>/dev/null || true' _ "$wine" "$deploy/bin/quorvant.exe" "$(winpath "$scratch/windows")" \
  "$shots/main-window.png" || failed=1
if [ "$("$wine" reg query 'HKCU\Control Panel\International' /v sShortDate | tr -d '\r' | awk '/sShortDate/ {print $3}')" \
  = dd/MM/yyyy ]; then
  echo "OK set the short date to dd/MM/yyyy"
else
  echo "The short date was not set"
  failed=1
fi
echo "Screenshot: $shots/main-window.png (look at it)"

[ $failed -eq 0 ] && echo "The Windows checks passed." || echo "The Windows checks FAILED."
exit $failed
