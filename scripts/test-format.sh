#!/usr/bin/env bash
# Checks that every C and C++ file in the tree is formatted as .clang-format asks
# (clang-format 14, Debian's clang-format package). Lists the files that are not.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
# A tree git cannot list is a failure, not a tree with nothing to check.
listed=$(git ls-files '*.c' '*.h' '*.cpp') || { echo "format: git cannot list the tree" >&2; exit 1; }
mapfile -t files <<<"$listed"
[ -n "$listed" ] || { echo "format: no C or C++ files listed" >&2; exit 1; }
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
record files "${#files[@]}" 0
if [ ${#bad[@]} -gt 0 ]; then
  echo "not formatted (run clang-format -i on them):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "format: ${#files[@]} files formatted"
