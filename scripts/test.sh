#!/usr/bin/env bash
# Sets up, builds and runs every test, then runs each fuzz target briefly
# (QUORVANT_FUZZ_SECONDS per target, 60 by default; 0 leaves fuzzing out).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
"$here/scripts/check-style.sh"
build="${QUORVANT_BUILD_DIR:-$here/build}"

# Database mode is tested against a PostgreSQL server reached through ODBC,
# started for this run in a temporary folder and stopped at the end.
pg_dir=""
stop_pg() {
  if [ -n "$pg_dir" ]; then
    "$here/scripts/pg-test-server.sh" stop "$pg_dir" || true
  fi
}
trap stop_pg EXIT
if pg_dir=$("$here/scripts/pg-test-server.sh" start $$); then
  # shellcheck disable=SC1091
  . "$pg_dir/env.sh"
else
  pg_dir=""
  echo "The PostgreSQL test server did not start here; the database-mode tests try once more and report why."
fi

(cd "$build" && ctest --output-on-failure --parallel 2)

# The Debian package, unpacked and run.
"$here/scripts/check-package.sh"

fuzz_seconds="${QUORVANT_FUZZ_SECONDS:-60}"
if [ "$fuzz_seconds" -gt 0 ]; then
  "$here/scripts/fuzz.sh" "$fuzz_seconds"
fi

# The Windows build under Wine, where this machine has the Windows libraries
# (scripts/windows/deps.sh builds them once, in hours: never here).
if [ "${QUORVANT_WINDOWS_CHECKS:-1}" = 0 ]; then
  echo "Windows checks skipped: QUORVANT_WINDOWS_CHECKS=0."
elif "$here/scripts/windows/deps.sh" --ready; then
  "$here/scripts/windows/build.sh"
  "$here/scripts/windows/test.sh"
else
  echo "Windows checks skipped: the Windows libraries are not built on this machine" \
    "(scripts/windows/deps.sh builds them)."
  # The Windows side of the system layer needs Qt Core alone.
  status=0
  "$here/scripts/windows/seam-check.sh" || status=$?
  if [ $status -eq 77 ]; then
    echo "Windows system-layer check skipped: no Qt Core for Windows here."
  elif [ $status -ne 0 ]; then
    exit $status
  fi
fi
