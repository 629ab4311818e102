#!/usr/bin/env bash
# quillpack's command lines, one row each: the arguments, the exit status, the files left in
# the folder, and what the command prints. Each row runs in a fresh copy of the fixtures.
# Usage: command_lines.sh CORPUS_FILE COMMAND...
#   COMMAND: the program, behind its emulator for a cross build (Wine, qemu).
set -uo pipefail
corpus_file=$1
shift
command=("$@")
windows=0
[[ "${command[*]}" == *.exe ]] && windows=1
work=$(mktemp -d "${TMPDIR:-/tmp}/quillpack-lines-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
rows=0

# The fixtures: a text, its container, a container with a bad character, one cut inside a
# match, and a folder holding a file, a container and a folder.
fixtures=$work/fixtures
mkdir -p "$fixtures/folder/inner"
cp "$corpus_file" "$fixtures/text"
(cd "$fixtures" && "${command[@]}" -c text >packed.qpk) || { echo "FAIL: cannot pack the fixture"; exit 1; }
printf '51504B01 00G1\n' >"$fixtures/bad.qpk"
printf '51504B01 0041 8003\n' >"$fixtures/cut.qpk"
printf 'one\n' >"$fixtures/folder/one"
cp "$fixtures/packed.qpk" "$fixtures/folder/two.qpk"
printf 'three\n' >"$fixtures/folder/inner/three"
listing() { (cd "$1" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' '); }
base=$(listing "$fixtures")

# The command as the rows name it, and as a row given run_with runs it: `limited`, in an
# address space too small for all the threads it is asked for; `tiny_files`, allowed to write
# files of 1 KiB at most; `errors_unread`, with standard error on a pipe no one reads.
q() { "${command[@]}" "$@"; }
limited() { (ulimit -v 40000 && q "$@"); }
tiny_files() { (ulimit -f 1 && q "$@"); }
errors_unread() {
  rm -f "$work/pipe" && mkfifo "$work/pipe"
  exec 3<>"$work/pipe" 4>"$work/pipe" 3<&-
  q "$@" 2>&4
}

# row NAME STATUS CHANGES STDERR STDOUT BEFORE AFTER ARGUMENT...
#   CHANGES    the files left, as changes to the fixtures: +NAME (new), -NAME (gone)
#   STDERR, STDOUT  what the command prints (CR LF read as LF); a pattern, * for anything
#   BEFORE, AFTER   shell commands run in the folder before the command and after it (AFTER
#              must succeed: it checks what the files hold)
#   ARGUMENT   the shell text after the command's name, joined by spaces; redirections
#              included (q runs the command again)
row() {
  local name=$1 want_status=$2 changes=$3 want_err=$4 want_out=$5 before=$6 after=$7
  shift 7
  local args="$*"
  local dir=$work/row status=0 ok=1 want=" $base" change
  rm -rf "$dir" && cp -R "$fixtures" "$dir"
  rows=$((rows + 1))
  (cd "$dir" && eval "$before") || { echo "FAIL: $name: setup"; failures=$((failures + 1)); return; }
  (cd "$dir" && eval "${run_with:-q} $args" >"$work/out" 2>"$work/err") || status=$?
  for change in $changes; do
    case $change in
      +*) want="$want ${change#+} " ;;
      -*) want=${want/ ${change#-} / } ;;
    esac
  done
  want=$(tr ' ' '\n' <<<"$want" | sed '/^$/d' | LC_ALL=C sort | tr '\n' ' ')
  local got_files out err
  got_files=$(listing "$dir")
  out=$(tr -d '\r' <"$work/out")
  err=$(tr -d '\r' <"$work/err")
  [ "$status" = "$want_status" ] || ok=0
  [ "$got_files" = "$want" ] || ok=0
  # shellcheck disable=SC2053  # the expectations are patterns
  [[ "$err" == $want_err && "$out" == $want_out ]] || ok=0
  if [ $ok = 1 ] && [ -n "$after" ] && ! (cd "$dir" && eval "$after") >/dev/null 2>&1; then
    ok=0
    echo "  check failed: $after"
  fi
  if [ $ok = 1 ]; then
    echo "ok: $name"
  else
    echo "FAIL: $name: quillpack $args"
    echo "  status $status (want $want_status)"
    echo "  files  $got_files"
    echo "  want   $want"
    echo "  stderr ${err:0:400}"
    echo "  stdout ${out:0:200}"
    failures=$((failures + 1))
  fi
}

P=quillpack
same="cmp text"
row "pack keeps the input"            0 "+text.qpk" "" "" "" "cmp text.qpk packed.qpk" text
row "an empty file"                   0 "+empty +empty.qpk" "" "" ": >empty" \
    "[ \"\$(tr -d '\\r' <empty.qpk)\" = 51504B01 ]" empty
row "restore"                         0 "+packed" "" "" "" "$same packed" -d packed.qpk
row "restore, long option"            0 "+packed" "" "" "" "$same packed" --decompress packed.qpk
row "an existing output stays"        1 "+packed" "$P: packed: already exists; not overwritten (-f overwrites)" "" \
    "printf keep >packed" "[ \"\$(cat packed)\" = keep ]" -d packed.qpk
row "-f overwrites"                   0 "+packed" "" "" "printf old >packed" "$same packed" -df packed.qpk
row "--rm once the output is done"    0 "+packed -packed.qpk" "" "" "" "$same packed" -d --rm packed.qpk
row "--rm keeps a failed input"       1 "" "$P: bad.qpk: Invalid hex character" "" "" "" -d --rm bad.qpk
row "a name without the suffix"       1 "" "$P: text: has no .qpk suffix; not restored (-o or -c names an output)" "" "" "" -d text
row "-o names the output"             0 "+out" "" "" "" "$same out" -d -o out packed.qpk
row "-o with its value attached"      0 "+out" "" "" "" "$same out" -doout packed.qpk
row "a suffix already there"          1 "" "$P: packed.qpk: already has the .qpk suffix; unchanged (-f packs it again)" "" "" "" packed.qpk
row "a bad character"                 1 "" "$P: bad.qpk: Invalid hex character" "" "" "" -d bad.qpk
row "a token cut off"                 1 "" "$P: cut.qpk: Unexpected end of file reading match" "" "" "" -d cut.qpk
row "a failure, then the next file"   1 "+packed" "$P: bad.qpk: Invalid hex character" "" "" "$same packed" -d bad.qpk packed.qpk
row "test writes nothing"             0 "" "" "" "" "" -t packed.qpk folder/two.qpk
row "test names the fault"            1 "" "$P: cut.qpk: Unexpected end of file reading match" "" "" "" -t cut.qpk
row "test, verbose"                   0 "" "$P: packed.qpk: OK, $(wc -c <"$corpus_file" | tr -d ' ') bytes" "" "" "" -tv packed.qpk
row "list"                            0 "" "" "*container*restored*literals*matches*name*packed.qpk*" "" "" -l packed.qpk
row "list, two and a total"           0 "" "" "*packed.qpk*two.qpk*[(]total[)]" "" "" -l packed.qpk folder/two.qpk
row "standard input to output"        0 "+c.qpk" "" "" "" "cmp c.qpk packed.qpk" "-c - <text >c.qpk"
row "restore to standard output"      0 "+r" "" "" "" "$same r" "-dc packed.qpk >r"
row "restore a pipe"                  0 "+r" "" "" "" "$same r" "-d <packed.qpk >r"
row "-o with standard input"          0 "+out" "" "" "" "$same out" "-d -o out <packed.qpk"
row "a missing file"                  1 "" "$P: missing: No such file or directory" "" "" "" missing
row "an empty name"                  1 "" "$P: '': No such file or directory" "" "" "" "''"
row "a folder without -r"             1 "" "$P: folder: is a folder; ignored (-r goes into folders)" "" "" "" folder
row "-r packs a folder"               0 "+folder/one.qpk +folder/inner/three.qpk" "" "" "" "cmp folder/two.qpk packed.qpk" -r folder
row "-dr restores a folder"           0 "+folder/two" "" "" "" "$same folder/two" -dr folder/
row "-t and -l in folders take containers" 0 "" "" "*  folder/two.qpk" "" "" "-tr folder && q -lr folder/"
row "the same file by another name"   1 "" "$P: text: is the output too; nothing written" "" "" "" -f -o ./text text
row "-T 3 and -T1 give one container" 0 "+t3.qpk +t1.qpk" "" "" "" "cmp t3.qpk packed.qpk && cmp t1.qpk packed.qpk" \
    "-T 3 -c text >t3.qpk && q -T1 -c text >t1.qpk"
row "--threads=2"                     0 "+text.qpk" "" "" "" "cmp text.qpk packed.qpk" --threads=2 text
row "an unknown option"               2 "" "$P: unknown option '-x'
$P: Try 'quillpack --help' for more information." "" "" "" "-x text"
row "an unknown long option"          2 "" "$P: unknown option '--fast'*" "" "" "" --fast text
row "a bad thread count"              2 "" "$P: invalid number of threads 'many'*" "" "" "" -T many text
row "more threads than 256"           2 "" "$P: invalid number of threads '257'*" "" "" "" -T 257 text
row "-o with two inputs"              2 "" "$P: -o names the output of exactly one input*" "" "" "" -o x text folder/one
row "two containers on one output"    2 "" "$P: several containers on standard output could not be told apart*" "" "" "" -c text folder/one
row "-o with -t"                      2 "" "$P: -t and -l write nothing, so -o names nothing*" "" "" "" -t -o x packed.qpk
row "--help"                          0 "" "" "Usage: quillpack *Exit status*" "" "" --help
row "--version"                       0 "" "" "quillpack [0-9]*.[0-9]*.[0-9]*.[0-9]*" "" "" -V
row "a control character in a name"   1 "" "$P: a[?]b: No such file or directory" "" "" "" "\$'a\\nb'"
row "a control character in an option" 2 "" "$P: unknown option '--a[?]b'
$P: Try 'quillpack --help' for more information." "" "" "" "\$'--a\\nb'"
row "a control character when listed"  0 "+l"$'\xc2\x85'"st.qpk" "" "*  l[?]st.qpk" \
    "cp packed.qpk \$'l\\xc2\\x85st.qpk'" "" "-l \$'l\\xc2\\x85st.qpk'"
row "-f keeps the output a failure would replace" 1 "+bad" "$P: bad.qpk: Invalid hex character" "" \
    "printf keep >bad" "[ \"\$(cat bad)\" = keep ]" -df bad.qpk
row "a name beyond ASCII"              0 "+naïve_€_名 +naïve_€_名.qpk" "" "" "cp text naïve_€_名" \
    "cmp naïve_€_名.qpk packed.qpk" naïve_€_名
row "-- before a name with a dash"    0 "+-name +-name.qpk" "" "" "cp text ./-name" "cmp ./-name.qpk packed.qpk" -- -name
# Wine cannot tell which file a standard stream it inherited is, nor make hard or symbolic
# links the program could see as such; these rows run on POSIX systems.
if [ $windows = 0 ]; then
  row "the same file through -c"      1 "+out" "$P: out: is also the standard output; nothing written" "" "cp packed.qpk out" \
      "cmp out packed.qpk" "-dc out >>out"
  row "the same file through a link"  1 "+text.qpk" "$P: text: is the output too; nothing written" "" "ln text text.qpk" \
      "$same text.qpk" -f text
  row "the same file, a symbolic link" 1 "+text.qpk" "$P: text: is the output too; nothing written" "" "ln -s text text.qpk" \
      "$same text.qpk" -f text
  row "a full output device"          1 "" "$P: standard output: cannot be written: No space left on device" "" "" "" \
      "-dc packed.qpk >/dev/full"
  row "help to a full device"         1 "" "$P: standard output cannot be written" "" "" "" "--help >/dev/full"
  row "--rm keeps an input that changes as it is read" 1 "+grow +grow.qpk" \
      "$P: grow: changed while it was read; not removed" "" "cat text text text text >grow" "" \
      "--rm grow & p=\$!; while kill -0 \$p 2>/dev/null; do printf x >>grow; done; wait \$p"
  row "--rm keeps an input whose output keeps nothing" 1 "+pipe" \
      "$P: text: not removed, as its output is not a regular file" "" \
      "mkfifo pipe && { timeout 60 cat pipe >/dev/null 2>&1 & }" "" --rm -f -o pipe text
  row "--rm keeps an input that is a FIFO" 1 "+fifo +fifo.qpk" "$P: fifo: not removed, as it is not a regular file" \
      "" "mkfifo fifo && { timeout 60 sh -c 'printf abc >fifo' >/dev/null 2>&1 & }" "" --rm fifo
  run_with=tiny_files row "the file size limit" 1 "" "$P: text.qpk: cannot be written: File too large" "" "" "" text
  # Killed by SIGPIPE as it reports the failure, it still removes its incomplete output.
  run_with=errors_unread row "an error stream no one reads" 141 "" "" "" "" "" -d bad.qpk
  row "a FIFO as the output keeps its own mode" 0 "+pipe" "" "" \
      "mkfifo pipe && chmod 666 pipe && { timeout 60 cat pipe >/dev/null 2>&1 & }" "[ \"\$(stat -c %a pipe)\" = 666 ]" \
      -f -o pipe text
  row "the output keeps its input's mode" 0 "+packed" "" "" "chmod 640 packed.qpk" \
      "[ \"\$(stat -c %a packed)\" = 640 ]" -d packed.qpk
  # (Sanitizers and emulators need more address space than that; they skip this row.)
  if (limited -V) >/dev/null 2>&1; then
    run_with=limited row "threads that cannot all start" 0 "+eight +eight.qpk +t1.qpk" "" "" \
      "cat text text text text text text text text >eight && q -T1 -c eight >t1.qpk" \
      "cmp eight.qpk t1.qpk" -T 200 eight
  else
    echo "skipped: threads that cannot all start (the program cannot start in 40 MB)"
  fi
  # Permissions do not refuse root.
  if [ "$(id -u)" != 0 ]; then
    row "an input that cannot be read"  1 "+closed" "$P: closed: Permission denied" "" "cp text closed && chmod 000 closed" \
        "chmod 600 closed" closed
    row "an output that cannot be made" 1 "+ro/text" "$P: ro/text.qpk: Permission denied" "" "mkdir ro && cp text ro/ && chmod 555 ro" \
        "chmod 755 ro" ro/text
  else
    echo "skipped: 2 rows on permissions, which do not refuse root"
  fi
fi

if [ $failures -gt 0 ]; then
  echo "command lines: $failures of $rows rows failed"
  exit 1
fi
echo "command lines: all $rows rows hold"
