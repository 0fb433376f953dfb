#!/usr/bin/env bash
# Enables Debian source packages (`apt-get source`) by copying the machine's
# own Debian source list as deb-src, unless some deb-src entry is already
# there. The only place third-party source code comes from. Safe to run again.
set -euo pipefail

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

if grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ || grep -qs '^deb-src' /etc/apt/sources.list; then
  exit 0
fi
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    $sudo tee /etc/apt/sources.list.d/quorvant-src.sources >/dev/null
elif [ -f /etc/apt/sources.list ]; then
  grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
    $sudo tee /etc/apt/sources.list.d/quorvant-src.list >/dev/null
else
  echo "No Debian source list found to copy as deb-src" >&2
  exit 1
fi
$sudo apt-get update
