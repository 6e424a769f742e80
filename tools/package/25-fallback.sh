#!/usr/bin/env bash
# The fallback planetary theory: "orb.elm" (mean elements of the nine planets
# at the catalogue epoch) and "moon.xyz" (series of the geocentric Moon),
# both fitted to the planetary ephemeris file "coorbp" over its span by
# tools/mkfallback, which also states their accuracy against that file
# (kept in PKG_WORK/fallback-accuracy.txt). Needs the span of 10-ephemeris
# and the catalogue epoch of 20-catalogue or 22-epoch.
set -euo pipefail
value() {  # value KEY FILE
  awk -v k="$1" '$1 == k { v = $2 } END { if (v == "") exit 1; print v }' "$2" \
    || { echo "25-fallback: no $1 in $2" >&2; exit 1; }
}
first=$(value eph_first_jd "$PKG_WORK/setpar.d/10-ephemeris.txt")
last=$(value eph_last_jd "$PKG_WORK/setpar.d/10-ephemeris.txt")
# The catalogue epoch as the settings will hold it: the last value over the
# settings values (22-epoch overrides 20-catalogue), as mksetpar takes it.
epoch=$(cat "$PKG_WORK"/setpar.d/*.txt \
  | awk '$1 == "catalogue_epoch" { v = $2 } END { if (v == "") exit 1; print v }') \
  || { echo "25-fallback: no catalogue_epoch in the settings values" >&2; exit 1; }
"$PKG_BUILD/tools/mkfallback" "${PKG_DATA}coorbp" "$first" "$last" "$epoch" "$PKG_DATA" \
  "$PKG_WORK/fallback-accuracy.txt" > /dev/null
cat "$PKG_WORK/fallback-accuracy.txt"
