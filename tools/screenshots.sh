#!/usr/bin/env bash
# Starts the program under Xvfb on a fresh copy of the demo application folder
# and walks it through its windows (the quorvant-screenshots tool): the login, the
# message box ("&Select" with nothing picked), the company selection, the main
# window with its menu and the data check window, the return window and its
# export, the quarter summary, the return as a workbook, and the exit
# confirmation.
# Pictures of the screen go to <out>/96dpi, <out>/font-dpi-144 (twips become
# larger in pixels) and <out>/scale-1.5 (everything drawn 1.5 times larger).
# Usage: tools/screenshots.sh [out]   (default: build/screenshots)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${QUORVANT_BUILD_DIR:-$here/build}"
out="${1:-$build/screenshots}"
program="$build/src/quorvant-screenshots"

command -v xvfb-run >/dev/null || { echo "xvfb-run is missing: run scripts/setup.sh (Debian package xvfb)" >&2; exit 1; }
if [ ! -x "$program" ]; then
  cmake -S "$here" -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target quorvant-screenshots
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)

shoot() {
  local name=$1
  shift
  local work
  work=$(mktemp -d)
  cp -R "$here/data/demo/." "$work/"
  [ -f "$here/data/ACES_DLR.xsd" ] && cp "$here/data/ACES_DLR.xsd" "$work/"
  mkdir -p "$work/system" "$work/config"
  rm -rf "${out:?}/$name"
  mkdir -p "$out/$name"
  echo "== $name"
  # A day-first locale, so start-up does not ask to change the date format;
  # a private settings folder, so nothing of the user's is touched.
  if ! env "$@" LC_ALL=en_GB.UTF-8 XDG_CONFIG_HOME="$work/config" \
      QUORVANT_HOME="$work" QUORVANT_SYSTEM_DIR="$work/system" \
      timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$program" "$out/$name"; then
    echo "the program did not finish its walk through the windows ($name)" >&2
    rm -rf "$work"
    return 1
  fi
  rm -rf "$work"
}

shoot 96dpi
shoot font-dpi-144 QT_FONT_DPI=144
shoot scale-1.5 QT_SCALE_FACTOR=1.5
echo "Screenshots in $out"
