#!/usr/bin/env bash
# Runs the test suite under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# concurrency tests and the command (whose workers code in parallel) under ThreadSanitizer
# (clang). Any finding fails the script. The AddressSanitizer build also holds the libFuzzer
# targets that scripts/test-fuzz.sh runs.
#   QUILLPACK_SWEEP_STRIDE visit every N-th injected fault in the instrumented sweep (default 4)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
asan_build=${ASAN_BUILD_DIR:-build-asan}
tsan_build=${TSAN_BUILD_DIR:-build-tsan}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
symbolizer=$(command -v llvm-symbolizer || ls /usr/lib/llvm-*/bin/llvm-symbolizer 2>/dev/null | tail -1 || true)
[ -n "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH="$symbolizer" TSAN_SYMBOLIZER_PATH="$symbolizer"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer: every test"
configure_sanitizer_build "$asan_build" address,undefined -DQUILLPACK_BUILD_FUZZ=ON
cmake --build "$asan_build" -j 2
status=0
QUILLPACK_SWEEP_STRIDE=${QUILLPACK_SWEEP_STRIDE:-4} \
  counted_ctest --test-dir "$asan_build" --output-on-failure -j 2 || status=1

echo "== ThreadSanitizer: concurrent calls, and the command's workers"
configure_sanitizer_build "$tsan_build" thread
cmake --build "$tsan_build" -j 2 --target quillpack_tests quillpack-command
counted_ctest --test-dir "$tsan_build" --output-on-failure -R '^(Concurrency|Command)\.' || status=1
exit $status
