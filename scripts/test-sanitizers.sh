#!/usr/bin/env bash
# Runs the test suite under AddressSanitizer and UndefinedBehaviorSanitizer, the concurrency
# test under ThreadSanitizer, and every fuzz target for a bounded time from its seeds.
# Any finding fails the script. Needs clang and its runtime libraries (scripts/setup.sh).
#   FUZZ_SECONDS           time per fuzz target (default 60)
#   QUILLPACK_SWEEP_STRIDE visit every N-th injected fault in the instrumented sweep (default 4)
set -euo pipefail
cd "$(dirname "$0")/.."
asan_build=${ASAN_BUILD_DIR:-build-asan}
tsan_build=${TSAN_BUILD_DIR:-build-tsan}
fuzz_seconds=${FUZZ_SECONDS:-60}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
symbolizer=$(command -v llvm-symbolizer || ls /usr/lib/llvm-*/bin/llvm-symbolizer 2>/dev/null | tail -1 || true)
[ -n "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH="$symbolizer" TSAN_SYMBOLIZER_PATH="$symbolizer"

work=$(mktemp -d "${TMPDIR:-/tmp}/quillpack-sanitizers-XXXXXX")
trap 'rm -rf "$work"' EXIT

configure() {  # build folder, sanitizers, extra options...
  local dir=$1 sanitizers=$2
  shift 2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQUILLPACK_SANITIZE="$sanitizers" -DQUILLPACK_BUILD_EXAMPLES=OFF "$@" >/dev/null
}

echo "== AddressSanitizer + UndefinedBehaviorSanitizer: every test"
configure "$asan_build" address,undefined -DQUILLPACK_BUILD_FUZZ=ON
cmake --build "$asan_build" -j 2
QUILLPACK_SWEEP_STRIDE=${QUILLPACK_SWEEP_STRIDE:-4} \
  ctest --test-dir "$asan_build" --output-on-failure -j 2

echo "== ThreadSanitizer: concurrent calls"
configure "$tsan_build" thread
cmake --build "$tsan_build" -j 2 --target quillpack_tests
TMPDIR="$work" "$tsan_build/tests/quillpack_tests" --gtest_filter='Concurrency.*'

echo "== libFuzzer: ${fuzz_seconds} s per target"
for target in decompress roundtrip hex_reader; do
  corpus="$work/corpus-$target"
  mkdir -p "$corpus"
  options=(-max_total_time="$fuzz_seconds" -timeout=20 -close_fd_mask=3 -print_final_stats=1
           -artifact_prefix="$work/$target-")
  # Compressing costs time in proportion to the input; a little over one block is enough to
  # reach every path of the coder.
  [ "$target" = roundtrip ] && options+=(-max_len=4200)
  log="$work/$target.log"
  if ! TMPDIR="$work" "$asan_build/fuzz/quillpack_fuzz_$target" "${options[@]}" \
      "$corpus" "$asan_build/fuzz/seeds/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    for crash in "$work/$target-"*; do
      [ -e "$crash" ] || continue
      echo "input that failed ($crash):"
      od -A d -t x1z "$crash" | head -n 20
    done
    echo "fuzz target $target: FAILED"
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
  echo "fuzz target $target: ${runs:-?} runs, $coverage, no finding"
done
echo "sanitizer suites: all passed"
