#!/usr/bin/env bash
# Sourced by the suite scripts: the sanitizer build they share, and what a suite ran,
# recorded for the summary of scripts/test.sh. When QUILLPACK_COUNTS names a file, each
# record adds one line to it: a kind (tests or runs), how many, and how many were skipped.

# configure_sanitizer_build DIR SANITIZERS [CMAKE_OPTION...]: a clang build of everything
# with -fsanitize=SANITIZERS and the library's assertions on (warnings as errors, no example
# host).
configure_sanitizer_build() {
  local dir=$1 sanitizers=$2
  shift 2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLPACK_WERROR=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUILLPACK_ASSERTIONS=ON \
    -DQUILLPACK_REQUIRE_TESTS=ON \
    -DQUILLPACK_SANITIZE="$sanitizers" -DQUILLPACK_BUILD_EXAMPLES=OFF "$@" >/dev/null
}

# record KIND COUNT SKIPPED
record() {
  [ -n "${QUILLPACK_COUNTS:-}" ] && echo "$1 $2 $3" >>"$QUILLPACK_COUNTS"
  return 0
}

# counted_ctest ARGS...: runs ctest with ARGS and records how many tests it ran and skipped.
# Returns ctest's status.
counted_ctest() {
  local junit status=0
  junit=$(mktemp "${TMPDIR:-/tmp}/quillpack-ctest-XXXXXX")
  ctest --output-junit "$junit" "$@" || status=$?
  local tests skipped
  tests=$(sed -n 's/^[[:space:]]*tests="\([0-9]*\)".*/\1/p' "$junit" | head -n1)
  skipped=$(sed -n 's/^[[:space:]]*skipped="\([0-9]*\)".*/\1/p' "$junit" | head -n1)
  rm -f "$junit"
  record tests "${tests:-0}" "${skipped:-0}"
  return $status
}
