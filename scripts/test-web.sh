#!/usr/bin/env bash
# The web page: builds it (scripts/build-web.sh) and the library's example host, whose
# containers and lines are what the page must give; installs the tests' npm package from its
# lock file; then runs the module's tests in Node and the page's in Debian's headless
# Chromium (tests/web/). The page's screenshot goes to build-web/page.png.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
source scripts/packages.sh
install_packages "${QUILLPACK_WEB_TEST_PACKAGES[@]}"
install_npm
build=${BUILD_DIR:-build-web}
BUILD_DIR=$build bash scripts/build-web.sh
native=${NATIVE_BUILD_DIR:-build-web-native}
cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DQUILLPACK_WERROR=ON >/dev/null
cmake --build "$native" -j 2 --target quillpack-host
npm ci --prefix tests/web --no-audit --no-fund

export QUILLPACK_WEB_DIR=$PWD/$build/web
export QUILLPACK_HOST=$PWD/$native/examples/quillpack-host
export QUILLPACK_CORPUS_DIR=${QUILLPACK_CORPUS_DIR:-$PWD/../shared/corpus}
export QUILLPACK_SCREENSHOT=${QUILLPACK_SCREENSHOT:-$PWD/$build/page.png}
log=$(mktemp "${TMPDIR:-/tmp}/quillpack-web-XXXXXX")
trap 'rm -f "$log"' EXIT
status=0
(cd tests/web && node --test --test-reporter=tap module.test.mjs page.test.mjs) | tee "$log" ||
  status=$?
record tests "$(sed -n 's/^# tests //p' "$log" | tail -n1)" "$(sed -n 's/^# skipped //p' "$log" | tail -n1)"
exit $status
