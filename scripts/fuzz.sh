#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan) into build-fuzz/ and
# runs each for SECONDS (default 60). Seeds come from fuzz/corpus/<name>/;
# inputs that once found a fault stay in fuzz/regressions/<name>/ and are run
# first. Exits non-zero when any target finds a crash, a hang, a leak or an
# oversized allocation; the input is kept under build-fuzz/findings/<name>/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds="${1:-60}"
build="${QUORVANT_FUZZ_BUILD_DIR:-$here/build-fuzz}"

cmake -S "$here/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --parallel "$(nproc)"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

status=0
# True when every finding of `exe` in `dir` is a timeout and each of those
# inputs, run again on its own, finishes well inside the limit.
timeouts_only() {
  local exe=$1 dir=$2 found=0 f
  for f in "$dir"/*; do
    [ -e "$f" ] || continue
    case $(basename "$f") in
      timeout-*) found=1 ;;
      *) return 1 ;;
    esac
    "$exe" -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=1024 -close_fd_mask=3 "$f" >/dev/null 2>&1 || return 1
  done
  [ "$found" -eq 1 ]
}

summary=()
for exe in "$build"/fuzz_*; do
  [ -f "$exe" ] && [ -x "$exe" ] || continue
  target=$(basename "$exe")
  name=${target#fuzz_}
  work=$(mktemp -d)
  findings="$build/findings/$name"
  mkdir -p "$findings"
  dirs=("$work")
  [ -d "$here/fuzz/corpus/$name" ] && dirs+=("$here/fuzz/corpus/$name")
  [ -d "$here/fuzz/regressions/$name" ] && dirs+=("$here/fuzz/regressions/$name")
  echo "== $target: ${seconds}s"
  # The targets' own output (warnings of the libraries) is dropped; libFuzzer
  # and the sanitizers still report.
  if "$exe" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$findings/" "${dirs[@]}" >"$work.log" 2>&1; then
    summary+=("$target: no finding")
  elif timeouts_only "$exe" "$findings"; then
    # libFuzzer times a unit by the wall clock, so a machine that stalls
    # (a paused virtual machine) makes any input look slow: each such input
    # is run again alone, and only one that is slow again counts.
    grep -E "timeout after" "$work.log" || true
    summary+=("$target: no finding (a timeout that did not recur when its input ran again alone)")
    rm -f "$findings"/timeout-*
  else
    tail -n 60 "$work.log"
    summary+=("$target: FINDING (inputs in $findings)")
    status=1
  fi
  grep -E "^stat::number_of_executed_units" "$work.log" || true
  rm -rf "$work" "$work.log"
done
printf '%s\n' "${summary[@]}"
exit $status
