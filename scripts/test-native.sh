#!/usr/bin/env bash
# Builds the library (shared and static), the example host, the tests and the fuzz replays
# natively (gcc, Release, warnings as errors) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON \
  -DQUILLPACK_WERROR=ON -DQUILLPACK_REQUIRE_TESTS=ON -DQUILLPACK_BUILD_STATIC=ON >/dev/null
cmake --build "$build" -j 2
counted_ctest --test-dir "$build" --output-on-failure -j 2
