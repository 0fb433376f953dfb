#!/usr/bin/env bash
# Sets up, builds and writes the Debian package quorvant_<version>_amd64.deb
# into the build folder; prints its path.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" >&2
build="${QUORVANT_BUILD_DIR:-$here/build}"
(cd "$build" && cpack -G DEB >&2)
ls -t "$build"/quorvant_*_*.deb | head -n 1
