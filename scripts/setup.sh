#!/usr/bin/env bash
# Installs what building and testing Quillpack needs (Debian/Ubuntu; run as root or with sudo).
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev llvm-14 libgtest-dev libgmock-dev pkg-config gzip)
# Cross builds: Windows with mingw-w64, run under Wine; 32-bit ARM, run under qemu-user.
packages+=(g++-mingw-w64-x86-64 wine64 g++-arm-linux-gnueabihf qemu-user googletest file)
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
