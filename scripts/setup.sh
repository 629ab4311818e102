#!/usr/bin/env bash
# Installs what building Quillpack and running its demo needs: a C++ compiler, CMake and
# Ninja (Debian 12 or Ubuntu; as root or through sudo). scripts/test.sh installs what the
# tests need besides.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
install_packages "${QUILLPACK_BUILD_PACKAGES[@]}"
