#!/usr/bin/env bash
# Assembles "setpar" from the values the other steps left, and writes
# "setpath". Both name the data directory where the package will stand
# (PKG_DATA_FINAL), not the scratch directory it is built in.
set -euo pipefail
final=${PKG_DATA_FINAL:-$PKG_DATA}
printf '%s\r\n' "$final" > "$PKG_WORK/setpath"
shopt -s nullglob
values=("$PKG_WORK"/setpar.d/*.txt)
"$PKG_BUILD/tools/mksetpar" "$PKG_WORK/setpar" "$final" "${values[@]}"
