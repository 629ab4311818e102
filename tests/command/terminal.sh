#!/usr/bin/env bash
# quillpack on a terminal, under a pseudo-terminal (script(1)): a large file shows its
# progress line, which is cleared at the end; -q and an error stream that is not a terminal
# show none; restored bytes are not written to a terminal unless -f.
# Usage: terminal.sh QUILLPACK
set -uo pipefail
quillpack=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/quillpack-terminal-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
command -v script >/dev/null || { echo "FAIL: script(1) is needed for a pseudo-terminal"; exit 1; }

# on_terminal COMMAND: runs COMMAND (shell text, in the work folder) with its standard
# streams on a pseudo-terminal; sets status and text (what the terminal received).
on_terminal() {
  status=0
  (cd "$work" && script -qefc "$1" /dev/null >"$work/terminal" 2>&1) || status=$?
  text=$(cat "$work/terminal")
}

check() {
  if eval "$2"; then
    echo "ok: $1"
  else
    echo "FAIL: $1 (status $status)"
    printf '  terminal: %q\n' "${text:0:400}"
    failures=$((failures + 1))
  fi
}

CR=$'\r'
# The last piece of the terminal's text between carriage returns: all spaces once a line
# drawn with carriage returns is cleared.
last_piece() { local rest=${text%"$CR"}; printf '%s' "${rest##*"$CR"}"; }

# A file large enough to show its progress from the start.
head -c $((24 << 20)) /dev/zero >"$work/large"
q=$(printf '%q' "$quillpack")

on_terminal "$q -T2 large"
check "packing shows its progress" '[ $status = 0 ] && [[ "$text" == *"quillpack: large:"*"%"*" MB"*"MB/s"* ]]'
check "the line is cleared at the end" '[[ "$text" == *"$CR" && "$(last_piece)" =~ ^\ +$ ]]'
# Random bytes take four characters each: a container large enough to show its progress.
head -c $((5 << 20)) /dev/urandom >"$work/noise"
"$quillpack" -q "$work/noise"
on_terminal "$q -d -c noise.qpk >restored"
check "restoring shows its progress" \
  '[ $status = 0 ] && [[ "$text" == *"quillpack: noise.qpk:"*"%"* ]] && cmp -s "$work/noise" "$work/restored"'
on_terminal "$q -q -f large"
check "-q shows none" '[ $status = 0 ] && [ -z "$text" ]'
on_terminal "$q -f large 2>errors"
check "an error stream that is not a terminal shows none" '[ $status = 0 ] && [ -z "$text" ] && [ ! -s "$work/errors" ]'
on_terminal "$q -dc large.qpk"
check "restored bytes are not written to a terminal" \
  '[ $status = 1 ] && [ "$text" = "quillpack: restored bytes are not written to a terminal (-f writes them)$CR" ]'
printf 'hello\n' >"$work/small"
"$quillpack" -q "$work/small"
on_terminal "$q -dcf small.qpk"
check "-f writes them" '[ $status = 0 ] && [ "$text" = "hello$CR" ]'

if [ $failures -gt 0 ]; then
  echo "terminal: $failures case(s) failed"
  exit 1
fi
echo "terminal: progress and refusals as a user sees them"
