#!/usr/bin/env bash
# Times quillpack, the command, against gzip and pigz on the same files, and measures its peak
# memory packing and restoring a large generated input. Every round trip is checked, and the
# containers of 1 and 2 threads must be the same.
#   usage: command.sh [--runs N] [--memory BYTES] [FILE...]
#     FILE       files to time (default: bible.txt and world192.txt of the corpus)
#     --runs N   timed runs of each command per file; the table shows medians (default 5)
#     --memory BYTES  instead of timing, pack and restore BYTES of random bytes (a file in
#                /tmp, removed after) through a pipe and print each side's peak resident
#                memory, with 1 and 2 threads (needs GNU time, /usr/bin/time)
# The figures are wall-clock seconds of whole processes, started as a user starts them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=5
memory=0
files=()
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --memory) memory=$2; shift 2 ;;
    -*) echo "command.sh: unknown option $1" >&2; exit 2 ;;
    *) files+=("$(realpath "$1")"); shift ;;
  esac
done
corpus=${QUILLPACK_CORPUS_DIR:-$root/../shared/corpus}
[ ${#files[@]} -gt 0 ] || files=("$corpus/bible.txt" "$corpus/world192.txt")

build=${BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DQUILLPACK_BUILD_EXAMPLES=OFF -DQUILLPACK_BUILD_COMMAND=ON -DQUILLPACK_WERROR=ON >/dev/null
cmake --build "$build" -j 2 --target quillpack-command >/dev/null
quillpack=$build/src/command/quillpack

if [ "$memory" != 0 ]; then
  [ -x /usr/bin/time ] || { echo "command.sh: --memory needs GNU time (/usr/bin/time)" >&2; exit 1; }
  big=$(mktemp /tmp/quillpack-memory-XXXXXX)
  trap 'rm -f "$big" "$big".*' EXIT
  head -c "$memory" /dev/urandom >"$big"
  echo "peak resident memory, $memory random bytes packed and restored through a pipe"
  for threads in 1 2; do
    /usr/bin/time -f %M -o "$big.pack" "$quillpack" -q -T$threads -c "$big" |
      /usr/bin/time -f %M -o "$big.restore" "$quillpack" -q -d -c | cmp - "$big"
    printf 'threads %d: pack %6.1f MiB, restore %6.1f MiB\n' "$threads" \
      "$(awk '{ print $1 / 1024 }' "$big.pack")" "$(awk '{ print $1 / 1024 }' "$big.restore")"
  done
  exit 0
fi

for tool in gzip pigz; do
  command -v $tool >/dev/null || { echo "command.sh: $tool is needed" >&2; exit 1; }
done
work=$(mktemp -d /dev/shm/quillpack-command-bench-XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT

# median COMMAND: runs the shell text COMMAND `runs` times, prints the median seconds. The
# clock is bash's own (EPOCHREALTIME), so that no process but the command's is timed.
median() {
  local times=() i start end
  for ((i = 0; i < runs; i++)); do
    start=${EPOCHREALTIME/[.,]/}
    eval "$1"
    end=${EPOCHREALTIME/[.,]/}
    times+=("$((end - start))")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { printf "%.4f", t[int((NR + 1) / 2)] / 1e6 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# How much parallelism the machine gives now: two gzip processes at once against one.
cp "${files[0]}" "$work/probe"
one=$(median "gzip -6 -c '$work/probe' >/dev/null")
two=$(median "gzip -6 -c '$work/probe' >/dev/null & gzip -6 -c '$work/probe' >/dev/null; wait")
rm -f "$work/probe"
echo "runs $runs, median wall-clock seconds; $(nproc) processors, two processes at once" \
  "$(awk -v a="$one" -v b="$two" 'BEGIN { printf "%.2f", 2 * a / b }')x as fast as one"
printf '%-14s %9s %7s %7s %5s %7s %5s %7s %5s %7s %7s %5s\n' file size T1 gzip-6 ratio T2 ratio \
  pigz-p2 ratio restore gzip-d ratio
missed=()
for path in "${files[@]}"; do
  name=$(basename "$path")
  cp "$path" "$work/$name"
  in=$work/$name
  t1=$(median "'$quillpack' -q -T1 -c '$in' >'$work/t1.qpk'")
  t2=$(median "'$quillpack' -q -T2 -c '$in' >'$work/t2.qpk'")
  gz=$(median "gzip -6 -c '$in' >'$work/in.gz'")
  pz=$(median "pigz -6 -p 2 -c '$in' >'$work/in.pz'")
  rs=$(median "'$quillpack' -q -d -c '$work/t2.qpk' >'$work/restored'")
  gd=$(median "gzip -d -c '$work/in.gz' >'$work/gunzipped'")
  cmp -s "$work/t1.qpk" "$work/t2.qpk" || { echo "FAIL: $name: -T1 and -T2 containers differ"; exit 1; }
  cmp -s "$in" "$work/restored" || { echo "FAIL: $name: restored bytes differ"; exit 1; }
  r1=$(ratio "$t1" "$gz") r2=$(ratio "$t2" "$gz") rp=$(ratio "$t2" "$pz") rd=$(ratio "$rs" "$gd")
  printf '%-14s %9d %7s %7s %5s %7s %5s %7s %5s %7s %7s %5s\n' "${name:0:14}" \
    "$(wc -c <"$in")" "$t1" "$gz" "$r1" "$t2" "$r2" "$pz" "$rp" "$rs" "$gd" "$rd"
  awk -v r="$r1" 'BEGIN { exit !(r > 1.0) }' && missed+=("$name: -T1 above 1.0x gzip -6")
  awk -v r="$r2" 'BEGIN { exit !(r > 0.6) }' && missed+=("$name: -T2 above 0.6x gzip -6")
  awk -v r="$rp" 'BEGIN { exit !(r > 1.0) }' && missed+=("$name: -T2 above 1.0x pigz -6 -p2")
  awk -v r="$rd" 'BEGIN { exit !(r > 0.5) }' && missed+=("$name: restore above 0.5x gzip -d")
  rm -f "$in"
done
if [ ${#missed[@]} -eq 0 ]; then
  echo "every target met"
else
  printf 'target missed: %s\n' "${missed[@]}"
fi
