#!/usr/bin/env bash
# Installs the build into a temporary prefix, runs the installed command (when the build has
# it), and builds and runs C and C++ consumers against the library, once through the CMake
# package and once through pkg-config; then builds the library from source inside a parent
# project of C alone and runs its C consumers.
# Usage: run.sh BUILD_DIR SOURCE_DIR (SOURCE_DIR: this folder; the project is two above)
set -euo pipefail
build=$1
here=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
test -f "$prefix/include/quillpack.h"
libdir=$(dirname "$(find "$prefix" -name 'libquillpack.so.1' | head -n1)")
test -L "$libdir/libquillpack.so" && test -L "$libdir/libquillpack.so.1"
# The command and its manual, when the build has the command.
if grep -q '^QUILLPACK_BUILD_COMMAND:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "== the command"
  test -f "$prefix/share/man/man1/quillpack.1"
  "$prefix/bin/quillpack" --version | grep -qx "quillpack 1.0.0.1"
  printf 'installed\n' >"$work/note"
  "$prefix/bin/quillpack" -q "$work/note" && "$prefix/bin/quillpack" -dc "$work/note.qpk" | grep -qx installed
fi

echo "== CMake package"
cmake -S "$here" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
mkdir -p "$work/run1"
LD_LIBRARY_PATH=$libdir "$work/cmake-build/consumer_c" "$work/run1" >/dev/null
LD_LIBRARY_PATH=$libdir "$work/cmake-build/consumer_cpp" "$work/run1" >/dev/null
if [ -f "$libdir/libquillpack.a" ]; then
  mkdir -p "$work/run1s"
  "$work/cmake-build/consumer_c_static" "$work/run1s" >/dev/null
  echo "static library consumed from C"
fi

echo "== pkg-config"
export PKG_CONFIG_PATH=$libdir/pkgconfig
test "$(pkg-config --modversion quillpack)" = "1.0.0.1"
mkdir -p "$work/pc" "$work/run2"
cc -std=c11 -Wall -Wextra -Wpedantic -Werror "$here/consumer.c" $(pkg-config --cflags --libs quillpack) -o "$work/pc/consumer_c"
c++ -std=c++20 -Wall -Wextra -Wpedantic -Werror "$here/consumer.cpp" $(pkg-config --cflags --libs quillpack) -o "$work/pc/consumer_cpp"
LD_LIBRARY_PATH=$libdir "$work/pc/consumer_c" "$work/run2" >/dev/null
LD_LIBRARY_PATH=$libdir "$work/pc/consumer_cpp" "$work/run2" >/dev/null
echo "installed library consumed from C and C++"

echo "== add_subdirectory from a parent project of C alone"
cmake -S "$here" -B "$work/parent-build" -G Ninja -DQUILLPACK_SOURCE_DIR="$here/../.." >/dev/null
cmake --build "$work/parent-build" >/dev/null
mkdir -p "$work/run3" "$work/run3s"
"$work/parent-build/consumer_c" "$work/run3" >/dev/null
"$work/parent-build/consumer_c_static" "$work/run3s" >/dev/null
echo "library built by a C parent project, shared and static"
