#!/usr/bin/env bash
# The heading templates of the task results: "EPH.HD2" (ephemeris, blocks of
# 5 lines by output kind), "OMC.HD2" (O-C, blocks of 5 lines by main plane),
# "IDE.HD2" (identification, 7 lines) and "PLT.HD2" (plate search, 6 lines).
# They are kept as plain text in tools/package/headings/ and installed with
# CR LF line ends, as every text file of the package.
set -euo pipefail
for name in EPH.HD2 OMC.HD2 IDE.HD2 PLT.HD2; do
  src="$PKG_SRC/tools/package/headings/$name"
  [ -f "$src" ] || { echo "40-headings: $src is missing" >&2; exit 1; }
  sed -e 's/\r$//' -e 's/$/\r/' "$src" > "${PKG_DATA}$name"
done
