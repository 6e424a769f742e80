#!/usr/bin/env bash
# The planetary ephemeris file "coorbp": JPL DE405 from Debian's
# casacore-data-jpl-de405, written in JPL's binary DE403/DE405 layout. The
# full package takes the whole span (1959-12-10 to 2060-01-30); the small one
# the records covering 1999-01-01 to 2031-01-01. The span goes into settings
# record 6.
set -euo pipefail
span=()
if [ "$PKG_SMALL" = 1 ]; then
  span=(--start 2451179.5 --end 2462502.5)
fi
/usr/bin/python3 "$PKG_SRC/tools/de405_to_binary.py" "${PKG_DATA}coorbp" "${span[@]}" \
  > "$PKG_WORK/setpar.d/10-ephemeris.txt"
cat "$PKG_WORK/setpar.d/10-ephemeris.txt"
