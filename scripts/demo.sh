#!/usr/bin/env bash
# Builds Quillpack and its command, then packs a real file, tests the container, restores it,
# compares and shows the container's size against the input's.
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
cmake --build "$build" -j 2 --target quillpack-command quillpack >/dev/null
quillpack=$root/$build/src/command/quillpack
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
name=$(basename "$input")
cp "$input" "$work/$name"
cd "$work"
# Each step is shown as typed, then run (quillpack: the one just built); every one must succeed.
step() {
  echo "\$ $*"
  local program=$1
  shift
  [ "$program" = quillpack ] && program=$quillpack
  "$program" "$@"
}
step quillpack -v "$name"
step quillpack -tv "$name.qpk"
step quillpack -l "$name.qpk"
mkdir restored
step quillpack -d -o "restored/$name" "$name.qpk"
step cmp "$input" "restored/$name"
size=$(wc -c <"$name")
packed=$(wc -c <"$name.qpk")
echo "round trip ok: $size bytes -> $packed bytes of container text" \
  "($(awk -v a="$packed" -v b="$size" 'BEGIN { printf "%.2f", b ? a / b : 0 }') times the input)"
echo "A container is text: every byte of the token stream is two hex digits, so a byte stored"
echo "as a literal takes four characters and a match (up to 255 bytes) eight. Only input with"
echo "long repeats comes out smaller; a container is for channels that carry text only."
head -c 240 "$name.qpk"
echo "..."
