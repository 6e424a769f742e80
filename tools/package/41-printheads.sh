#!/usr/bin/env bash
# The print heads of the observation lists, beside the observatory list
# "observa1.dat": "omc.hd1" (O-C observations, three blocks of 7 lines, one
# per main plane: equator, ecliptic, horizon), "ide.hd1" (identification
# list, 7 lines), "plt.hd1" (plate list, 7 lines) and "obs.hd1" (observatory
# list, 3 lines). Each line is a record of 82 bytes: 80 characters, blank
# padded, and CR LF. The texts are kept in tools/package/headings/.
set -euo pipefail
for name in omc.hd1 ide.hd1 plt.hd1 obs.hd1; do
  src="$PKG_SRC/tools/package/headings/$name"
  [ -f "$src" ] || { echo "41-printheads: $src is missing" >&2; exit 1; }
  awk '{ sub(/\r$/, ""); printf "%-80.80s\r\n", $0 }' "$src" > "${PKG_DATA}$name"
done
