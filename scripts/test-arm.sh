#!/usr/bin/env bash
# Cross-builds the library and the unit tests for 32-bit ARM Linux (hard float) and runs
# them under qemu-user.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ARM_BUILD_DIR:-build-arm}
sysroot=/usr/arm-linux-gnueabihf
# Tests to leave out under emulation: a ctest regular expression (none by default).
exclude=${QUILLPACK_ARM_EXCLUDE:-}

fail() { echo "arm suite: FAIL ($1)"; exit 1; }

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabihf.cmake >/dev/null
cmake --build "$build" -j2
tests="$build/tests/quillpack_tests"

echo "== target"
file -L "$build/libquillpack.so.1" "$tests" | sed 's/, BuildID[^,]*//'
readelf -h "$tests" | grep -q 'ELF32' || fail "not a 32-bit program"
readelf -h "$tests" | grep -q 'ARM' || fail "not an ARM program"
echo | arm-linux-gnueabihf-g++ -dM -E -x c++ - |
  grep -E '__SIZEOF_SIZE_T__|__CHAR_UNSIGNED__|__SIZEOF_POINTER__' | sort

echo "== unit tests under qemu-arm"
ctest --test-dir "$build" -j2 --output-on-failure ${exclude:+-E "$exclude"} || fail "unit tests"

echo "== the example host under qemu-arm"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
input=${QUILLPACK_CORPUS_DIR:-../shared/corpus}/sum
host() { qemu-arm -L "$sysroot" "$build/examples/quillpack-host" -l "$build/libquillpack.so.1" "$@"; }
host pack "$input" "$work/packed.qpk"
host unpack "$work/packed.qpk" "$work/restored"
cmp "$input" "$work/restored" || fail "example round trip"
echo "arm suite: PASS"
