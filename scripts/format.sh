#!/usr/bin/env bash
# Formats every C++ source of the tree with its .clang-format, or with --check
# lists the files that differ and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
  bad=0
  for f in "${files[@]}"; do
    if ! clang-format --style=file "$f" | cmp -s - "$f"; then
      echo "not formatted: $f"
      bad=1
    fi
  done
  exit "$bad"
fi
clang-format -i --style=file "${files[@]}"
