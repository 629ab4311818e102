#!/usr/bin/env bash
# Builds Quillpack and runs every test suite: the unit and integration tests natively, then
# under the sanitizers, with the fuzz targets (scripts/test-sanitizers.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLPACK_BUILD_TESTS=ON
cmake --build "$build" -j 2
ctest --test-dir "$build" --output-on-failure -j 2
bash scripts/test-sanitizers.sh
# The cross builds: the Windows DLL under Wine, and 32-bit ARM under qemu-user.
bash scripts/test-windows.sh
bash scripts/test-arm.sh
