#!/usr/bin/env bash
# Installs what building and testing Quillpack needs (Debian/Ubuntu; run as root or with sudo).
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev llvm-14 libgtest-dev libgmock-dev pkg-config gzip)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
