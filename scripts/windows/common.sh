# Shared by the Windows scripts (sourced, not run): where the Windows
# libraries live. The cache sits outside the repository, one folder per set of
# source versions, so a new Debian version builds afresh and an old set stays.
#
#   QUORVANT_WINDOWS_CACHE   the cache root (default /var/cache/quorvant-windows)
#   QUORVANT_WINDOWS_PREFIX  use this installed prefix as it is (no version check)

qv_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
qv_cache_root=${QUORVANT_WINDOWS_CACHE:-/var/cache/quorvant-windows}
qv_toolchain=$qv_repo/cmake/mingw-w64-x86_64.cmake
qv_mingw=x86_64-w64-mingw32

# The Debian source packages, in build order: the small libraries first.
# zlib comes from Qt's own copy of it (qt6-base carries zlib 1.2.13).
qv_sources=(sqlite3 libxml2 libxlsxwriter mdbtools qt6-base qt6-svg qt6-charts)

# Bump when a recipe changes so that what it built must be built again.
qv_recipe=1

# The candidate version of a source package, empty when none is known.
qv_source_version() {
  apt-cache showsrc --only-source "$1" 2>/dev/null | awk '/^Version:/ {print $2}' | {
    local best="" v
    while read -r v; do
      if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
    done
    echo "$best"
  }
}

# "name version" lines for every source package plus the compiler: what the
# cache key is made of.
qv_versions() {
  local p
  for p in "${qv_sources[@]}"; do
    echo "$p $(qv_source_version "$p")"
  done
  echo "mingw-g++ $($qv_mingw-g++-posix -dumpfullversion 2>/dev/null || echo none)"
  echo "recipe $qv_recipe"
}

# The cache folder for the versions above: Qt's version and a short hash.
qv_key() {
  local versions qt
  versions=$(qv_versions)
  qt=$(echo "$versions" | awk '$1 == "qt6-base" {print $2}' | sed 's/[+~-].*//')
  echo "qt${qt:-unknown}-$(echo "$versions" | sha256sum | cut -c1-12)"
}

# The installed prefix the cross build uses.
qv_prefix() {
  if [ -n "${QUORVANT_WINDOWS_PREFIX:-}" ]; then
    echo "$QUORVANT_WINDOWS_PREFIX"
  else
    echo "$qv_cache_root/$(qv_key)/prefix"
  fi
}
