#!/usr/bin/env bash
# Every C++ file of the repository is as the project's .clang-format lays it out; the
# files that are not are named with what would change (`make format` mends them).
#   format_check.sh SOURCE_DIR
set -uo pipefail
cd "${1:?source folder}"
command -v clang-format >/dev/null || { echo "clang-format not installed"; exit 77; }
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null) || { echo "not a git checkout"; exit 77; }
[ -n "$files" ] || { echo "no files"; exit 77; }
# shellcheck disable=SC2086
if ! clang-format --dry-run -Werror $files; then
  echo "files above are not formatted: run make format"
  exit 1
fi
echo "every C++ file is formatted"
