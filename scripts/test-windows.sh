#!/usr/bin/env bash
# Cross-builds quillpack.dll and the unit tests with mingw-w64 for 64-bit (x64) or 32-bit
# (x86) Windows, shows the DLL's exports and version resource, runs the tests under Wine in a
# fresh prefix (Wine's 64-bit or 32-bit loader) and exchanges containers with the native
# build.
#   usage: test-windows.sh [x64|x86]   (default x64)
#   QUILLPACK_WINDOWS_EXCLUDE  ctest regular expression of tests to leave out (none by default)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
arch=${1:-x64}
case $arch in
  x64)
    triple=x86_64-w64-mingw32 toolchain=mingw-w64-x86_64 format=pei-x86-64
    build=${WINDOWS_BUILD_DIR:-build-windows} wine=${WINE64:-/usr/lib/wine/wine64}
    winearch=win64
    ;;
  x86)
    triple=i686-w64-mingw32 toolchain=mingw-w64-i686 format=pei-i386
    build=${WINDOWS_X86_BUILD_DIR:-build-windows-x86} wine=${WINE32:-/usr/lib/wine/wine}
    winearch=win32
    ;;
  *)
    echo "usage: $0 [x64|x86]" >&2
    exit 2
    ;;
esac
native=${BUILD_DIR:-build}
exclude=${QUILLPACK_WINDOWS_EXCLUDE:-}
corpus=${QUILLPACK_CORPUS_DIR:-$PWD/../shared/corpus}

fail() { echo "windows $arch suite: FAIL ($1)"; exit 1; }

if [ ! -x "$wine" ] && [ "$arch" = x86 ] && ! dpkg -s wine32:i386 >/dev/null 2>&1; then
  # The package manager could not provide the 32-bit loader (scripts/test.sh said why): the
  # suite is counted as skipped, never as passed.
  echo "windows x86 suite: SKIP (wine32:i386 is not installed, so nothing can run the DLL)"
  record tests 0 1
  exit 0
fi
[ -x "$wine" ] || fail "no Wine loader at $wine"
# A fresh Wine prefix of our own, made before the build lists the tests through Wine.
export WINEDEBUG=-all WINEARCH=$winearch
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/quillpack-wine-$arch-XXXXXX")
export WINEPREFIX
work=$(mktemp -d)
wineserver=$(dirname "$wine")/wineserver
# The server is gone, and has written the prefix for the last time, before the prefix goes;
# clearing up never decides the suite's result.
trap '{ "$wineserver" -k; "$wineserver" -w; } 2>/dev/null || true; rm -rf "$WINEPREFIX" "$work" || true' EXIT
# One server for the whole suite, started before the prefix's own services. Debian's wrapper
# starts it with no persistence: it then quits the moment its last process exits, and a
# program started at that moment loses its connection ("wine client error: recvmsg:
# Connection reset by peer") and dies. The services start here, on the null device, so no
# test's output pipe is held open by a service that outlives it.
"$wineserver" -p || fail "cannot start the Wine server"
"$wine" wineboot -i >/dev/null 2>&1 || fail "cannot start Wine"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLPACK_WERROR=ON \
  -DQUILLPACK_REQUIRE_TESTS=ON -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/$toolchain.cmake" >/dev/null
cmake --build "$build" -j2
dll="$build/bin/quillpack.dll"

echo "== exports of quillpack.dll ($arch)"
"$triple-objdump" -p "$dll" | tee "$work/objdump.txt" |
  sed -n '/^Export Address Table/,/^$/p;/^\[Ordinal\/Name Pointer\] Table/,/^$/p'
"$triple-objdump" -f "$dll" | grep -q "file format $format" || fail "not a $format DLL"
grep -qE '^\s*\[\s*0\] \+base\[\s*1\]' "$work/objdump.txt" || fail "no export at ordinal 1"
grep -qE '^\s*\[\s*1\] \+base\[\s*2\]' "$work/objdump.txt" || fail "no export at ordinal 2"
# Exactly the two plain names: no leading underscore, no @8 of stdcall.
[ "$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' "$work/objdump.txt" |
  sed -n 's/^\s*\[\s*[0-9]*\] //p' | tr '\n' ' ')" = "Quillpack Quillunpack " ] ||
  fail "exports are not exactly Quillpack and Quillunpack"
echo "== imports of quillpack.dll"
grep 'DLL Name' "$work/objdump.txt"

echo "== version resource of quillpack.dll"
"$triple-windres" -i "$dll" -O rc | tee "$work/version.rc" | sed '/^$/d;/^\/\*/,/\*\//d'
grep -q 'FILEVERSION 1, 0, 0, 1' "$work/version.rc" || fail "file version is not 1.0.0.1"
grep -q 'PRODUCTVERSION 1, 0, 0, 1' "$work/version.rc" || fail "product version is not 1.0.0.1"

echo "== unit tests under Wine ($wine)"
counted_ctest --test-dir "$build" -j2 --output-on-failure ${exclude:+-E "$exclude"} ||
  fail "unit tests"

# Containers made on each side restore on the other; apart from CR LF against LF line
# ends they are the same text.
echo "== containers between Windows ($arch) and Linux"
cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLPACK_WERROR=ON >/dev/null
cmake --build "$native" --target quillpack-host quillpack >/dev/null
host="$native/examples/quillpack-host"
windows_host() { (cd "$build/bin" && "$wine" quillpack-host.exe "$@"); }
for name in alice29.txt sum; do
  input="$corpus/$name"
  [ -f "$input" ] || fail "corpus file $input missing"
  cp "$input" "$work/$name"
  windows_host pack "$work/$name" "$work/$name.win.qpk" >/dev/null || fail "$name: Windows pack"
  "$host" pack "$work/$name" "$work/$name.linux.qpk" >/dev/null || fail "$name: Linux pack"
  grep -q $'\r$' "$work/$name.win.qpk" || fail "$name: Windows container has no CR LF lines"
  ! grep -q $'\r' "$work/$name.linux.qpk" || fail "$name: Linux container has CR"
  tr -d '\r' <"$work/$name.win.qpk" | cmp -s - "$work/$name.linux.qpk" ||
    fail "$name: containers differ beyond line ends"
  "$host" unpack "$work/$name.win.qpk" "$work/$name.from-win" >/dev/null ||
    fail "$name: Linux unpack"
  windows_host unpack "$work/$name.linux.qpk" "$work/$name.from-linux" >/dev/null ||
    fail "$name: Windows unpack"
  cmp "$input" "$work/$name.from-win" || fail "$name: Windows container restored on Linux"
  cmp "$input" "$work/$name.from-linux" || fail "$name: Linux container restored on Windows"
  echo "$name: $(stat -c %s "$input") bytes; containers $(stat -c %s "$work/$name.win.qpk") (CR LF)" \
    "and $(stat -c %s "$work/$name.linux.qpk") (LF) bytes restore on both sides"
done
echo "windows $arch suite: PASS"
