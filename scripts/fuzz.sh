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
