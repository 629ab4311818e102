#!/usr/bin/env bash
# Builds the web page with Debian's clang 14 for WebAssembly (wasm32-wasi): index.html, its
# scripts, quillpack.wasm and the JavaScript module quillpack.mjs, in build-web/web/
# (BUILD_DIR to choose another folder). Installs what the build needs; downloads nothing else.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
install_packages "${QUILLPACK_WEB_BUILD_PACKAGES[@]}"
build=${BUILD_DIR:-build-web}
cmake -S . -B "$build" -G Ninja --no-warn-unused-cli \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/wasm32-wasi.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUILLPACK_WERROR=ON >/dev/null
cmake --build "$build" -j 2
# The page loads the module whole before its first job; it stays small.
limit=$((150 * 1024))
size=$(stat -c %s "$build/web/quillpack.wasm")
if [ "$size" -ge "$limit" ]; then
  echo "build-web: quillpack.wasm is $size bytes, not under $limit" >&2
  exit 1
fi
echo "build-web: $build/web/index.html (quillpack.wasm: $size bytes)"
