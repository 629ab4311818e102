#!/usr/bin/env bash
# Runs libFuzzer targets for a bounded time each from their seeds, in the AddressSanitizer
# build (configured and built here when scripts/test-sanitizers.sh has not). Any finding
# fails the script and shows the input.
#   usage: test-fuzz.sh [TARGET...]   (default: decompress roundtrip hex_reader finder)
#   FUZZ_SECONDS time per target (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
asan_build=${ASAN_BUILD_DIR:-build-asan}
fuzz_seconds=${FUZZ_SECONDS:-60}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(decompress roundtrip hex_reader finder)

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
symbolizer=$(command -v llvm-symbolizer || ls /usr/lib/llvm-*/bin/llvm-symbolizer 2>/dev/null | tail -1 || true)
[ -n "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH="$symbolizer"

work=$(mktemp -d "${TMPDIR:-/tmp}/quillpack-fuzz-XXXXXX")
trap 'rm -rf "$work"' EXIT

configure_sanitizer_build "$asan_build" address,undefined -DQUILLPACK_BUILD_FUZZ=ON
cmake --build "$asan_build" -j 2 --target "${targets[@]/#/quillpack_fuzz_}" >/dev/null

for target in "${targets[@]}"; do
  echo "== libFuzzer: $target for ${fuzz_seconds} s"
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
  record runs "${runs:-0}" 0
  echo "fuzz target $target: ${runs:-?} runs, $coverage, no finding"
done
