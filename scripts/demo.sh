#!/usr/bin/env bash
# Builds Quillpack and its example host, packs a real file, restores it and compares.
set -euo pipefail
cd "$(dirname "$0")/.."
input=${1:-../shared/corpus/alice29.txt}
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quillpack-host quillpack >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
host="$build/examples/quillpack-host"
"$host" pack "$input" "$work/packed.qpk"
"$host" unpack "$work/packed.qpk" "$work/restored"
cmp "$input" "$work/restored"
echo "round trip ok: $(stat -c %s "$input") bytes -> $(stat -c %s "$work/packed.qpk") bytes of container text"
head -c 240 "$work/packed.qpk"; echo "..."
