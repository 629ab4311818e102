#!/usr/bin/env bash
# Installs what the tests need (scripts/packages.sh), then builds Quillpack and runs every
# suite: the formatting check, native, the sanitizers, each fuzz target, the Windows DLLs
# (x64 and x86) under Wine, 32-bit ARM under qemu-user and the web page in Node and Chromium.
# Every suite runs even after one fails; the script ends with one table of each suite's
# result, test count, skipped count and time, and exits non-zero when any suite failed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit
source scripts/packages.sh
# A package that cannot be installed is named here; the suites that need it then fail, but
# for Wine's 32-bit loader (an i386 package, the first to go when a mirror is half synced),
# whose suite is counted as skipped.
{ install_packages "${QUILLPACK_TEST_PACKAGES[@]}" && install_npm; } ||
  echo "some packages the tests need could not be installed; the suites that need them fail" >&2

counts=$(mktemp "${TMPDIR:-/tmp}/quillpack-counts-XXXXXX")
trap 'rm -f "$counts"' EXIT
rows=()
failed=0
started=$SECONDS

# suite NAME COMMAND...: runs one suite and keeps its row for the table.
suite() {
  local name=$1 start=$SECONDS status=0
  shift
  echo
  echo "######## $name"
  : >"$counts"
  QUILLPACK_COUNTS=$counts "$@" || status=$?
  local seconds=$((SECONDS - start)) result=pass
  local kind count skipped
  kind=$(awk 'NR == 1 { print $1 }' "$counts")
  count=$(awk '{ n += $2 } END { print n + 0 }' "$counts")
  skipped=$(awk '{ n += $3 } END { print n + 0 }' "$counts")
  [ "$count" -eq 0 ] && [ "$skipped" -gt 0 ] && result=skip
  [ $status -eq 0 ] || { result=FAIL; failed=1; }
  rows+=("$(printf '%-22s %-6s %12s %8s %6s' "$name" "$result" "$count ${kind:-tests}" \
    "$skipped" "$(printf '%d:%02d' $((seconds / 60)) $((seconds % 60)))")")
}

suite format bash scripts/test-format.sh
suite native bash scripts/test-native.sh
suite sanitizers bash scripts/test-sanitizers.sh
for target in decompress roundtrip hex_reader finder; do
  suite "fuzz $target" bash scripts/test-fuzz.sh "$target"
done
suite "windows x64" bash scripts/test-windows.sh x64
suite "windows x86" bash scripts/test-windows.sh x86
suite arm bash scripts/test-arm.sh
suite web bash scripts/test-web.sh

total=$((SECONDS - started))
echo
echo "######## summary"
printf '%-22s %-6s %12s %8s %6s\n' suite result tests skipped time
printf '%s\n' "${rows[@]}"
printf '%-22s %-6s %12s %8s %6s\n' total "$([ $failed -eq 0 ] && echo pass || echo FAIL)" "" "" \
  "$(printf '%d:%02d' $((total / 60)) $((total % 60)))"
exit $failed
