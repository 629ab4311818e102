#!/usr/bin/env bash
# Sourced by the scripts that install what they need from Debian's packages (Debian 12 or
# Ubuntu; as root, or through sudo).

# What building the library and the demo needs.
QUILLPACK_BUILD_PACKAGES=(g++ cmake ninja-build)
# shellcheck disable=SC2034  # used by the scripts that source this one
# What building the web page needs: clang 14 for wasm32-wasi with wasi-libc, libc++ and its
# runtime for wasm32, and lld 14 to link it.
QUILLPACK_WEB_BUILD_PACKAGES=(cmake ninja-build clang-14 lld-14 wasi-libc libc++-14-dev-wasm32
  libc++abi-14-dev-wasm32 libclang-rt-14-dev-wasm32)
# shellcheck disable=SC2034
# What the web page's tests need besides: the library and its example host (g++), Node.js and
# Debian's Chromium. npm comes with Node.js where Node.js does not come from Debian; the
# scripts install Debian's npm only when there is no npm command.
QUILLPACK_WEB_TEST_PACKAGES=("${QUILLPACK_WEB_BUILD_PACKAGES[@]}" g++ nodejs chromium)
# shellcheck disable=SC2034
# What the test suites need besides: GoogleTest (built from its sources for cross builds),
# pkg-config for the install test, clang and its runtime for the sanitizers and libFuzzer,
# mingw-w64 for both Windows DLLs with Wine's 64- and 32-bit loaders, the ARM cross compiler
# with qemu-user, file for the target checks, git and clang-format for the formatting check,
# and what the web page's build and tests need.
QUILLPACK_TEST_PACKAGES=("${QUILLPACK_BUILD_PACKAGES[@]}" libgtest-dev googletest pkg-config
  clang libclang-rt-14-dev llvm-14 clang-format git
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 wine32:i386
  g++-arm-linux-gnueabihf qemu-user file "${QUILLPACK_WEB_TEST_PACKAGES[@]}")

# install_packages PACKAGE...: installs those not installed yet (apt-get update first);
# enables the i386 architecture when a package needs it. A mirror caught in the middle of a
# sync, or a stale release file, can fail one index while the others serve: the update is
# tried three times, the release files fetched anew after a failure, and then left as it
# stands, and when the packages cannot be installed together each is tried alone,
# so one that cannot be had keeps no other from being installed. Returns non-zero, naming
# them, when any package is still missing.
install_packages() {
  local missing=() p sudo="" try
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  echo "== installing: ${missing[*]}"
  if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386 || return
  fi
  for try in 1 2 3; do
    $sudo apt-get update && break
    # A release file kept from an earlier update can name index files the mirror no longer
    # has ("File has unexpected size"), and a proxy may answer "not modified" for it: drop
    # the kept ones so that the next update fetches them anew.
    $sudo rm -f /var/lib/apt/lists/*_InRelease /var/lib/apt/lists/*_Release
    $sudo rm -rf /var/lib/apt/lists/partial/*
    [ "$try" -lt 3 ] && sleep 10
  done
  local install=($sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends)
  "${install[@]}" "${missing[@]}" && return 0
  local failed=()
  for p in "${missing[@]}"; do
    "${install[@]}" "$p" >/dev/null 2>&1 || failed+=("$p")
  done
  [ ${#failed[@]} -eq 0 ] && return 0
  echo "== cannot install: ${failed[*]}" >&2
  return 1
}

# install_npm: installs Debian's npm when no npm command is found (a Node.js from elsewhere
# brings its own, which Debian's must not replace).
install_npm() {
  command -v npm >/dev/null 2>&1 || install_packages npm
}
