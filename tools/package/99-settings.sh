#!/usr/bin/env bash
# Assembles "setpar" from the values the other steps left, and writes "setpath".
set -euo pipefail
printf '%s\r\n' "$PKG_DATA" > "$PKG_WORK/setpath"
shopt -s nullglob
values=("$PKG_WORK"/setpar.d/*.txt)
"$PKG_BUILD/tools/mksetpar" "$PKG_WORK/setpar" "$PKG_DATA" "${values[@]}"
