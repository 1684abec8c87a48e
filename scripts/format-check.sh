#!/usr/bin/env bash
# scripts/format-check.sh [--fix]: lists the C++ files of app core gfx audio sync content tools
# tests that drift from .clang-format (clang-format 14), with the number of lines each would
# change, and exits 1 when there is any. --fix formats them in place instead (`make format`).
# Regions between `// clang-format off` and `// clang-format on` are tables laid out by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
fix=0
[ "${1:-}" = "--fix" ] && fix=1

formatter=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$formatter" ] || ! "$formatter" --version | grep -q 'version 14\.'; then
  echo "format: clang-format 14 missing: apt-get install clang-format-14" >&2
  exit 2
fi

# Our own sources only: files that are not ours (a copied library, generated code) would be
# listed here by path.
not_ours='^$'
folders=(app core gfx audio sync content tools tests)
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- "${folders[@]}" | grep -E '\.(h|cpp)$' | grep -Ev "$not_ours")
else
  mapfile -t files < <(find "${folders[@]}" -type f \( -name '*.h' -o -name '*.cpp' \) | sort | grep -Ev "$not_ours")
fi

if [ "$fix" = 1 ]; then
  printf '%s\0' "${files[@]}" | xargs -0 "$formatter" -i --style=file
  echo "format: ${#files[@]} files formatted"
  exit 0
fi

# Formats a copy in one run of the formatter and compares it with another in one diff.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/before" "$scratch/after"
printf '%s\0' "${files[@]}" | xargs -0 cp --parents -t "$scratch/before"
printf '%s\0' "${files[@]}" | xargs -0 cp --parents -t "$scratch/after"
cp .clang-format "$scratch/after/"
(cd "$scratch/after" && printf '%s\0' "${files[@]}" | xargs -0 "$formatter" -i --style=file)
rm "$scratch/after/.clang-format"
# "FILE: N lines" for each file that would change, N the lines of today's file that change.
report=$(cd "$scratch" && { diff -r -U0 before after || true; } |
  awk '/^diff / { file = substr($NF, 7) } /^-/ && !/^--- / { count[file]++ }
       END { for (f in count) print f ": " count[f] " lines" }' | sort)
if [ -n "$report" ]; then
  echo "$report"
  echo "$report" | awk -v all=${#files[@]} '{ n += $2 } END {
    printf "format: %d of %d files drift from .clang-format (%d lines); make format applies it\n", NR, all, n }'
  exit 1
fi
echo "format: all ${#files[@]} files follow .clang-format"
