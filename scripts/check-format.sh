#!/usr/bin/env bash
# Every C and C++ file of the sources, tests, Python module, benchmarks, fuzz targets and examples
# is as clang-format writes it (.clang-format); names each one that is not, with what differs,
# and exits non-zero.
# Usage: scripts/check-format.sh [--fix]   (--fix rewrites them in place instead)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mapfile -t files < <(find src tools tests python bench fuzz examples -type f \
  \( -name '*.c' -o -name '*.h' -o -name '*.cc' -o -name '*.cpp' -o -name '*.hpp' \) | sort)
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
clang-format --dry-run -Werror "${files[@]}"
echo "format: the ${#files[@]} C and C++ files are as clang-format writes them"
