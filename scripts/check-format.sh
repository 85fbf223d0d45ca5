#!/usr/bin/env bash
# Fails when a C++ file differs from .clang-format (clang-format 14, dry run).
#   scripts/check-format.sh          every tracked C++ file
#   scripts/check-format.sh REV      only the files changed since REV (committed or not)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -gt 0 ]; then
  mapfile -t files < <(git diff --name-only --diff-filter=d "$1" -- '*.cpp' '*.h')
else
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
fi
[ ${#files[@]} -eq 0 ] && exit 0
clang-format --dry-run --Werror "${files[@]}"
