#!/usr/bin/env bash
# Cross-builds the library, the example host and the unit tests for 32-bit ARM Linux (hard
# float) and runs them under qemu-user.
#   QUILLPACK_ARM_EXCLUDE  ctest regular expression of tests to leave out (none by default)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
build=${ARM_BUILD_DIR:-build-arm}
exclude=${QUILLPACK_ARM_EXCLUDE:-}

fail() { echo "arm suite: FAIL ($1)"; exit 1; }

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLPACK_WERROR=ON \
  -DQUILLPACK_REQUIRE_TESTS=ON -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabihf.cmake \
  >/dev/null
cmake --build "$build" -j2
tests="$build/tests/quillpack_tests"

echo "== target"
file -L "$build/libquillpack.so.1" "$tests" | sed 's/, BuildID[^,]*//'
readelf -h "$tests" | grep -q 'ELF32' || fail "not a 32-bit program"
readelf -h "$tests" | grep -q 'ARM' || fail "not an ARM program"
echo | arm-linux-gnueabihf-g++ -dM -E -x c++ - |
  grep -E '__SIZEOF_SIZE_T__|__CHAR_UNSIGNED__|__SIZEOF_POINTER__' | sort
# Without 64-bit file offsets the library would reach for fopen, readdir and fstat, which
# fail on large files and inode numbers.
if arm-linux-gnueabihf-nm -D "$build/libquillpack.so.1" | grep -qE ' U (fopen|fstat|stat|ftruncate)(@|$)'; then
  fail "the library uses 32-bit file offsets"
fi

echo "== unit tests and the example host under qemu-arm"
counted_ctest --test-dir "$build" -j2 --output-on-failure ${exclude:+-E "$exclude"} ||
  fail "unit tests"
echo "arm suite: PASS"
