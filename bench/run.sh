#!/usr/bin/env bash
# Builds the library and the benchmark (Release) and runs it; arguments go to the benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLPACK_BUILD_BENCH=ON \
  -DBUILD_TESTING=OFF -DQUILLPACK_BUILD_EXAMPLES=OFF -DQUILLPACK_WERROR=ON >/dev/null
cmake --build "$build" -j 2 --target quillpack_bench >/dev/null
exec "$build/bench/quillpack_bench" "$@"
