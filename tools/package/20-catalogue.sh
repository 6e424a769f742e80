#!/usr/bin/env bash
# The element catalogue ("indnm", "elinm", "elih", "elig", "elitel") from the
# JPL small-body extracts that Debian's kstars-data ships, and its settings
# values (catalogue epoch, counts, slope-list length, edition, perturbers).
# KSTARS_DATA may name another folder holding asteroids.dat and comets.dat.
#
# Minor-planet edition: the minor planets of asteroids.dat.
# Comets edition (PKG_COMETS=1): the comets of comets.dat with elliptic
# orbits (tools/comets_extract.py), and besides the catalogue "ngr.eff" and
# "M2C.K2C"; Ceres, Pallas and Vesta of asteroids.dat are the perturbers and
# their epoch the catalogue epoch; the comets' own epochs and elements go to
# PKG_WORK/comet-sources.txt for 22-epoch.
set -euo pipefail
source_dir=${KSTARS_DATA:-/usr/share/kstars}
input="$source_dir/asteroids.dat"
[ -r "$input" ] || { echo "20-catalogue: $input not found (install kstars-data)" >&2; exit 1; }
list="$PKG_WORK/catalogue.tsv"
/usr/bin/python3 "$PKG_SRC/tools/catalogue_extract.py" "$input" > "$list"
small=()
[ "$PKG_SMALL" = 1 ] && small=(--small)
PKG_CHECK_SETPAR="$PKG_WORK/catalogue-check.setpar"
if [ "${PKG_COMETS:-0}" = 1 ]; then
  comets_input="$source_dir/comets.dat"
  [ -r "$comets_input" ] || { echo "20-catalogue: $comets_input not found (install kstars-data)" >&2; exit 1; }
  comets_list="$PKG_WORK/comets.tsv"
  /usr/bin/python3 "$PKG_SRC/tools/comets_extract.py" "$comets_input" > "$comets_list" 2> "$PKG_WORK/comets-extract.log" \
    || { cat "$PKG_WORK/comets-extract.log" >&2; exit 1; }
  cat "$PKG_WORK/comets-extract.log"
  "$PKG_BUILD/tools/mkcatalogue" --comets "$comets_list" "$PKG_DATA" "$PKG_WORK/setpar.d/20-catalogue.txt" \
    "$list" "$PKG_WORK/comet-sources.txt" "${small[@]}" 2> "$PKG_WORK/catalogue.log" \
    || { cat "$PKG_WORK/catalogue.log" >&2; exit 1; }
  tail -n 1 "$PKG_WORK/catalogue.log"
  rm -f "$list" "$comets_list"
  "$PKG_BUILD/tools/mksetpar" "$PKG_CHECK_SETPAR" "$PKG_DATA" "$PKG_WORK/setpar.d/20-catalogue.txt"
  /usr/bin/python3 "$PKG_SRC/tools/check_catalogue.py" --comets "$comets_input" "$PKG_DATA" "$PKG_CHECK_SETPAR"
  rm -f "$PKG_CHECK_SETPAR"
  exit 0
fi
"$PKG_BUILD/tools/mkcatalogue" "$list" "$PKG_DATA" "$PKG_WORK/setpar.d/20-catalogue.txt" "${small[@]}" 2> "$PKG_WORK/catalogue.log" \
  || { cat "$PKG_WORK/catalogue.log" >&2; exit 1; }
tail -n 1 "$PKG_WORK/catalogue.log"
rm -f "$list"
# The catalogue files read back independently and compared with the source.
"$PKG_BUILD/tools/mksetpar" "$PKG_CHECK_SETPAR" "$PKG_DATA" "$PKG_WORK/setpar.d/20-catalogue.txt"
/usr/bin/python3 "$PKG_SRC/tools/check_catalogue.py" "$input" "$PKG_DATA" "$PKG_CHECK_SETPAR"
rm -f "$PKG_CHECK_SETPAR"
