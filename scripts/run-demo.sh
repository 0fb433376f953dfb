#!/usr/bin/env bash
# Sets up, copies the demo application folder to a writable place and starts
# the program on it. Without a display it says so and writes the demo return
# with the command-line tool instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
build="${QUORVANT_BUILD_DIR:-$here/build}"

home="${QUORVANT_DEMO_DIR:-${TMPDIR:-/tmp}/quorvant-demo}"
rm -rf "$home"
mkdir -p "$home"
cp -R "$here/data/demo/." "$home/"
[ -f "$here/data/ACES_DLR.xsd" ] && cp "$here/data/ACES_DLR.xsd" "$home/"
export QUORVANT_HOME="$home"
export QUORVANT_SYSTEM_DIR="$home/system"
mkdir -p "$QUORVANT_SYSTEM_DIR"
echo "Demo application folder: $home"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: the desktop program cannot open its windows here."
  cli="$build/src/quorvant-cli"
  if "$cli" --help 2>&1 | grep -q '^  export '; then
    echo "Writing the demo return with the command-line tool instead:"
    "$cli" export --company 1 --period 14041503 --registration AAACB1234CXM001 --year 2014 --quarter Apr-Jun
  else
    echo "The command-line export is not available in this build; start the program where a display exists."
  fi
  exit 0
fi
exec "$build/src/quorvant"
