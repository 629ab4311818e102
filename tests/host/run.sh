#!/usr/bin/env bash
# The example host tells each outcome by its exit status (0 success line, 1 error line, 2 no
# call) and passes the library's lines on unchanged, even lines longer than a pipe holds.
# Usage: run.sh INPUT_FILE LONG_PATH_LENGTH HOST_COMMAND...
#   HOST_COMMAND: the host program, behind its emulator for a cross build (Wine, qemu).
#   QUILLPACK_HOST_SYSTEM: posix (the default) or windows. A Windows host takes its arguments
#   in the ANSI code page, not as UTF-8, and runs under Wine, which reports on standard error
#   when it starts without a standard input.
set -euo pipefail
input=$1
long=$2
shift 2
host=("$@")
work=$(mktemp -d "${TMPDIR:-/tmp}/quillpack-host-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

# Runs the host with the given arguments; sets status, out and err (CR LF read as LF).
run() {
  status=0
  "${host[@]}" "$@" >"$work/out" 2>"$work/err" || status=$?
  out=$(tr -d '\r' <"$work/out")
  err=$(tr -d '\r' <"$work/err")
}

# expect NAME STATUS STDOUT STDERR: the last run gave exactly these (an argument * matches
# any text; a value ending in * matches by its beginning).
expect() {
  local name=$1 want_status=$2 want_out=$3 want_err=$4 ok=1
  [ "$status" = "$want_status" ] || ok=0
  # shellcheck disable=SC2053  # the expectations are patterns
  [[ "$out" == $want_out && "$err" == $want_err ]] || ok=0
  if [ $ok = 1 ]; then
    echo "ok: $name"
  else
    echo "FAIL: $name: status $status (want $want_status)"
    echo "  stdout: ${out:0:300}"
    echo "  stderr: ${err:0:300}"
    failures=$((failures + 1))
  fi
}

cp "$input" "$work/in"
run pack "$work/in" "$work/in.qpk"
expect "pack" 0 "Compression successful: '$work/in' -> '$work/in.qpk'" ""
run unpack "$work/in.qpk" "$work/restored"
expect "unpack" 0 "Decompression successful: '$work/in.qpk' -> '$work/restored'" ""
cmp -s "$work/in" "$work/restored" || { echo "FAIL: restored file differs"; failures=$((failures + 1)); }

run pack "$work/missing" "$work/out.qpk"
expect "missing input" 1 "" "Error: Cannot open input file '$work/missing'"
printf '51504B01 00G1\n' >"$work/corrupt.qpk"
run unpack "$work/corrupt.qpk" "$work/out"
expect "corrupt container" 1 "" $'Error: Invalid hex character\nError: Invalid Hex data'
run pack "$work/in" "$work/no-such-folder/in.qpk"
expect "missing folder" 1 "" "Error: Cannot open output file '$work/no-such-folder/in.qpk'"

# A line longer than a pipe's buffer: read while it is written, never a stalled call.
long_path=$work/$(head -c "$long" /dev/zero | tr '\0' 'x')
run pack "$long_path" "$work/out.qpk"
expect "a ${#long_path}-character line" 1 "" "Error: Cannot open input file '$long_path'"

# Started with standard streams closed, the host still tells the outcome (its capture pipes
# must not take the free descriptors). A host that hangs is stopped after a minute.
closed() {
  status=0
  case $1 in
    in+out) timeout 60 "${host[@]}" "${@:2}" <&- >&- 2>"$work/err" || status=$? ;;
    out) timeout 60 "${host[@]}" "${@:2}" >&- 2>"$work/err" || status=$? ;;
    err) timeout 60 "${host[@]}" "${@:2}" >"$work/err" 2>&- || status=$? ;;
  esac
  out="" err=$(tr -d '\r' <"$work/err")
}
system=${QUILLPACK_HOST_SYSTEM:-posix}
closed in+out pack "$work/in" "$work/closed.qpk"
expect "standard input and output closed" 0 "" "$([ "$system" = windows ] && echo '*')"
cmp -s "$work/in.qpk" "$work/closed.qpk" ||
  { echo "FAIL: the container made with standard output closed differs"; failures=$((failures + 1)); }
closed out pack "$work/in" "$work/closed.qpk"
expect "standard output closed" 0 "" ""
closed err pack "$work/missing" "$work/closed.qpk"
expect "standard error closed" 1 "" ""

# Arguments that are not well-formed UTF-8 are refused before any call: decoded leniently,
# overlong forms would turn into '.', '/' or NUL and name another file.
if [ "$system" = posix ]; then
  mkdir "$work/sub"
  for bad in $'\xc0\xae\xc0\xae\xc0\xafescaped.qpk' $'kept.qpk\xc0\x80.suffix' \
    $'\xe0\x80\xaf.qpk' $'\xed\xa0\x80.qpk' $'\xf4\x90\x80\x80.qpk' $'\xf8\x88\x80\x80\x80.qpk'; do
    run pack "$work/in" "$work/sub/$bad"
    expect "malformed UTF-8 $(printf '%q' "$bad")" 2 "" "*: paths must be valid text"*
  done
  [ -z "$(ls "$work/sub")" ] && [ ! -e "$work/escaped.qpk" ] && [ ! -e "$work/sub/kept.qpk" ] ||
    { echo "FAIL: a malformed path wrote a file"; failures=$((failures + 1)); }
fi

run --help
expect "--help" 0 "usage: *" ""
run frobnicate "$work/in" "$work/out"
expect "unknown command" 2 "" "*: unknown command 'frobnicate'"*
run pack "$work/in"
expect "missing path" 2 "" "*: pack takes an input and an output path"*
run -l "$work/no-such-library" pack "$work/in" "$work/out.qpk"
expect "library not loadable" 2 "" "*: cannot load $work/no-such-library: *"

if [ $failures -gt 0 ]; then
  echo "example host: $failures case(s) failed"
  exit 1
fi
echo "example host: every outcome told"
