#!/usr/bin/env bash
# The command against the library: for every file of the corpus, the container quillpack
# writes with 1, 2 and 3 threads, and from a pipe, is byte for byte the one the library
# writes (through the example host); the command restores it; and damaged containers are
# accepted or refused by both alike, with the same fault named.
# Usage: differential.sh CORPUS_DIR HOST_COMMAND -- QUILLPACK_COMMAND
#   each command behind its emulator for a cross build (Wine, qemu)
set -uo pipefail
corpus=$1
shift
host=()
while [ "$1" != "--" ]; do host+=("$1"); shift; done
shift
command=("$@")
work=$(mktemp -d "${TMPDIR:-/tmp}/quillpack-differential-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }

files=()
for path in "$corpus"/*; do
  case $(basename "$path") in README.md | SHA256SUMS) continue ;; esac
  [ -f "$path" ] && files+=("$path")
done
[ ${#files[@]} -gt 0 ] || { echo "FAIL: no corpus files in $corpus"; exit 1; }
# 1 MiB, a whole number of segments, so that the last read finds nothing.
head -c $((1 << 20)) "$corpus/bible.txt" >"$work/two-segments"
files+=("$work/two-segments")

for path in "${files[@]}"; do
  name=$(basename "$path")
  [ -f "$work/$name" ] || cp "$path" "$work/$name"
  (cd "$work" && "${host[@]}" pack "$name" "$name.library.qpk" >/dev/null) || { fail "$name: library"; continue; }
  for threads in 1 2 3; do
    (cd "$work" && "${command[@]}" -T$threads -c "$name" >"$name.t$threads.qpk") || fail "$name: -T$threads"
  done
  # From a pipe, reads arrive in pieces of any size.
  (cd "$work" && cat "$name" | "${command[@]}" -T2 >"$name.pipe.qpk") || fail "$name: pipe"
  for made in t1 t2 t3 pipe; do
    cmp -s "$work/$name.library.qpk" "$work/$name.$made.qpk" || fail "$name: $made container differs from the library's"
  done
  (cd "$work" && "${command[@]}" -dc "$name.library.qpk" >"$name.restored") || fail "$name: restore"
  cmp -s "$path" "$work/$name.restored" || fail "$name: restored bytes differ"
  echo "$name: $(wc -c <"$path" | tr -d ' ') bytes, containers equal"
done

# Damaged containers: a character changed, taken out or added, or the text cut, at places
# spread over the container of a small file. The library's first line, without "Error: ",
# is the command's message; a container both accept restores alike.
cp "$corpus/grammar.lsp" "$work/small"
(cd "$work" && "${command[@]}" -c small >small.qpk)
size=$(wc -c <"$work/small.qpk")
n=0
for at in 0 1 2 7 8 9 81 500 2001 4555 $((size - 3)) $((size - 2)); do
  for damage in G 1 cut drop space; do
    n=$((n + 1))
    damaged=$work/d$n.qpk
    case $damage in
      cut) head -c "$at" "$work/small.qpk" >"$damaged" ;;
      drop) { head -c "$at" "$work/small.qpk"; tail -c +$((at + 2)) "$work/small.qpk"; } >"$damaged" ;;
      space) { head -c "$at" "$work/small.qpk"; printf ' \t'; tail -c +$((at + 1)) "$work/small.qpk"; } >"$damaged" ;;
      *) { head -c "$at" "$work/small.qpk"; printf '%s' "$damage"; tail -c +$((at + 2)) "$work/small.qpk"; } >"$damaged" ;;
    esac
    library_status=0 command_status=0
    (cd "$work" && "${host[@]}" unpack "d$n.qpk" "d$n.library" >/dev/null 2>"d$n.library.err") || library_status=$?
    (cd "$work" && "${command[@]}" -dc "d$n.qpk" >"d$n.command" 2>"d$n.command.err") || command_status=$?
    library_line=$(head -n1 "$work/d$n.library.err" | tr -d '\r' | sed 's/^Error: //')
    command_line=$(head -n1 "$work/d$n.command.err" | tr -d '\r' | sed 's/^quillpack: [^:]*: //')
    where="damage '$damage' at $at"
    [ "$library_status" = "$command_status" ] || fail "$where: library $library_status, command $command_status"
    [ "$library_line" = "$command_line" ] || fail "$where: library '$library_line', command '$command_line'"
    if [ "$library_status" = 0 ]; then
      cmp -s "$work/d$n.library" "$work/d$n.command" || fail "$where: restored bytes differ"
    fi
  done
done
echo "$n damaged containers: the command and the library agree"

if [ $failures -gt 0 ]; then
  echo "differential: $failures failure(s)"
  exit 1
fi
echo "differential: the command's containers are the library's"
