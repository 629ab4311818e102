#!/usr/bin/env bash
# Builds Quillpack and its example host, packs a real file, restores it and compares.
#   usage: demo.sh [FILE]   (default ../shared/corpus/alice29.txt)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# A relative FILE names a file as seen from where the script was started.
input=${1:-$root/../shared/corpus/alice29.txt}
[ -f "$input" ] || { echo "demo: no file $input" >&2; exit 1; }
input=$(realpath "$input")
cd "$root"
build=${DEMO_BUILD_DIR:-build-demo}
# The demo needs neither the tests nor GoogleTest.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DQUILLPACK_WERROR=ON >/dev/null
cmake --build "$build" -j 2 --target quillpack-host quillpack >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The host exits 0 only when the library printed its success line.
host="$build/examples/quillpack-host"
"$host" pack "$input" "$work/packed.qpk"
"$host" unpack "$work/packed.qpk" "$work/restored"
cmp "$input" "$work/restored"
size=$(stat -c %s "$input")
packed=$(stat -c %s "$work/packed.qpk")
echo "round trip ok: $size bytes -> $packed bytes of container text" \
  "($(awk -v a="$packed" -v b="$size" 'BEGIN { printf "%.2f", b ? a / b : 0 }') times the input)"
echo "A container is text: every byte of the token stream is two hex digits, so a byte stored"
echo "as a literal takes four characters and a match (up to 255 bytes) eight. Only input with"
echo "long repeats comes out smaller; a container is for channels that carry text only."
head -c 240 "$work/packed.qpk"
echo "..."
