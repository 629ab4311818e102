#!/usr/bin/env bash
# Cross-builds quillpack.dll and the unit tests with mingw-w64, shows the DLL's exports and
# version resource, runs the tests under Wine and exchanges containers with the native build.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${WINDOWS_BUILD_DIR:-build-windows}
native=${BUILD_DIR:-build}
wine=${WINE:-/usr/lib/wine/wine64}
# Tests to leave out under emulation: a ctest regular expression (none by default).
exclude=${QUILLPACK_WINDOWS_EXCLUDE:-}
corpus=${QUILLPACK_CORPUS_DIR:-$PWD/../shared/corpus}

fail() { echo "windows suite: FAIL ($1)"; exit 1; }

# A fresh Wine prefix of our own, made before the build lists the tests through Wine.
export WINEDEBUG=-all WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/quillpack-wine-XXXXXX")
work=$(mktemp -d)
trap '"$(dirname "$wine")/wineserver" -k 2>/dev/null || true; rm -rf "$WINEPREFIX" "$work"' EXIT
"$wine" wineboot -i >/dev/null 2>&1 || fail "cannot start Wine"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake >/dev/null
cmake --build "$build" -j2
dll="$build/bin/quillpack.dll"

echo "== exports of quillpack.dll"
x86_64-w64-mingw32-objdump -p "$dll" | tee "$work/objdump.txt" |
  sed -n '/^Export Address Table/,/^$/p;/^\[Ordinal\/Name Pointer\] Table/,/^$/p'
grep -qE '^\s*\[\s*0\] \+base\[\s*1\]' "$work/objdump.txt" || fail "no export at ordinal 1"
grep -qE '^\s*\[\s*1\] \+base\[\s*2\]' "$work/objdump.txt" || fail "no export at ordinal 2"
[ "$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' "$work/objdump.txt" |
  grep -oE 'Quill[a-z]+' | tr '\n' ' ')" = "Quillpack Quillunpack " ] ||
  fail "exports are not exactly Quillpack and Quillunpack"
echo "== imports of quillpack.dll"
grep 'DLL Name' "$work/objdump.txt"

echo "== version resource of quillpack.dll"
x86_64-w64-mingw32-windres -i "$dll" -O rc | tee "$work/version.rc" | sed '/^$/d;/^\/\*/,/\*\//d'
grep -q 'FILEVERSION 1, 0, 0, 1' "$work/version.rc" || fail "file version is not 1.0.0.1"
grep -q 'PRODUCTVERSION 1, 0, 0, 1' "$work/version.rc" || fail "product version is not 1.0.0.1"

echo "== unit tests under Wine"
ctest --test-dir "$build" -j2 --output-on-failure ${exclude:+-E "$exclude"} || fail "unit tests"

# Containers made on each side restore on the other; apart from CR LF against LF line
# ends they are the same text.
echo "== containers between Windows and Linux"
cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" --target quillpack-host quillpack >/dev/null
host="$native/examples/quillpack-host"
windows_host() { (cd "$build/bin" && "$wine" quillpack-host.exe "$@"); }
for name in alice29.txt sum; do
  input="$corpus/$name"
  [ -f "$input" ] || fail "corpus file $input missing"
  cp "$input" "$work/$name"
  windows_host pack "$work/$name" "$work/$name.win.qpk" >/dev/null
  "$host" pack "$work/$name" "$work/$name.linux.qpk" >/dev/null
  grep -q $'\r$' "$work/$name.win.qpk" || fail "$name: Windows container has no CR LF lines"
  ! grep -q $'\r' "$work/$name.linux.qpk" || fail "$name: Linux container has CR"
  tr -d '\r' <"$work/$name.win.qpk" | cmp -s - "$work/$name.linux.qpk" ||
    fail "$name: containers differ beyond line ends"
  "$host" unpack "$work/$name.win.qpk" "$work/$name.from-win" >/dev/null
  windows_host unpack "$work/$name.linux.qpk" "$work/$name.from-linux" >/dev/null
  cmp "$input" "$work/$name.from-win" || fail "$name: Windows container restored on Linux"
  cmp "$input" "$work/$name.from-linux" || fail "$name: Linux container restored on Windows"
  echo "$name: $(stat -c %s "$input") bytes; containers $(stat -c %s "$work/$name.win.qpk") (CR LF)" \
    "and $(stat -c %s "$work/$name.linux.qpk") (LF) bytes restore on both sides"
done
echo "windows suite: PASS"
