#!/usr/bin/env bash
# The element catalogue ("indnm", "elinm", "elih", "elig", "elitel") from the
# JPL small-body extract that Debian's kstars-data ships, and its settings
# values (catalogue epoch, counts, slope-list length, edition, perturbers).
# KSTARS_DATA may name another folder holding asteroids.dat.
set -euo pipefail
source_dir=${KSTARS_DATA:-/usr/share/kstars}
input="$source_dir/asteroids.dat"
[ -r "$input" ] || { echo "20-catalogue: $input not found (install kstars-data)" >&2; exit 1; }
list="$PKG_WORK/catalogue.tsv"
/usr/bin/python3 "$PKG_SRC/tools/catalogue_extract.py" "$input" > "$list"
small=()
[ "$PKG_SMALL" = 1 ] && small=(--small)
"$PKG_BUILD/tools/mkcatalogue" "$list" "$PKG_DATA" "$PKG_WORK/setpar.d/20-catalogue.txt" "${small[@]}" 2> "$PKG_WORK/catalogue.log" \
  || { cat "$PKG_WORK/catalogue.log" >&2; exit 1; }
tail -n 1 "$PKG_WORK/catalogue.log"
rm -f "$list"
# The catalogue files read back independently and compared with the source.
PKG_CHECK_SETPAR="$PKG_WORK/catalogue-check.setpar"
"$PKG_BUILD/tools/mksetpar" "$PKG_CHECK_SETPAR" "$PKG_DATA" "$PKG_WORK/setpar.d/20-catalogue.txt"
/usr/bin/python3 "$PKG_SRC/tools/check_catalogue.py" "$input" "$PKG_DATA" "$PKG_CHECK_SETPAR"
rm -f "$PKG_CHECK_SETPAR"
