#!/usr/bin/env bash
# The element catalogue ("indnm", "elinm", "elih", "elig", "elitel") from the
# JPL small-body extracts that Debian's kstars-data ships, and its settings
# values (catalogue epoch, counts, slope-list length, edition, perturbers).
# KSTARS_DATA may name another folder holding asteroids.dat and comets.dat.
#
# With PKG_MPCORB (make_package.sh --mpcorb FILE) the minor planets come from
# that file in the format of the Minor Planet Center's MPCORB.DAT instead,
# plain or compressed with gzip; its lines that do not read are listed in
# PKG_WORK/catalogue.log with their line numbers and left out.
#
# Minor-planet edition: the minor planets of asteroids.dat.
# Comets edition (PKG_COMETS=1): the comets of comets.dat with elliptic
# orbits (tools/comets_extract.py), and besides the catalogue "ngr.eff" and
# "M2C.K2C"; Ceres, Pallas and Vesta of asteroids.dat are the perturbers and
# their epoch the catalogue epoch; the comets' own epochs and elements go to
# PKG_WORK/comet-sources.txt for 22-epoch.
set -euo pipefail
small=()
[ "$PKG_SMALL" = 1 ] && small=(--small)
if [ -n "${PKG_MPCORB:-}" ]; then
  log="$PKG_WORK/catalogue.log"
  if [ "$(head -c 2 "$PKG_MPCORB" | od -An -tx1 | tr -d ' \n')" = 1f8b ]; then
    gzip -dc -- "$PKG_MPCORB" | "$PKG_BUILD/tools/mkcatalogue" --mpcorb - "$PKG_DATA" \
      "$PKG_WORK/setpar.d/20-catalogue.txt" "${small[@]}" 2> "$log" || { cat "$log" >&2; exit 1; }
  else
    "$PKG_BUILD/tools/mkcatalogue" --mpcorb "$PKG_MPCORB" "$PKG_DATA" "$PKG_WORK/setpar.d/20-catalogue.txt" \
      "${small[@]}" 2> "$log" || { cat "$log" >&2; exit 1; }
  fi
  # The lines left out (at most 20 here; all of them in the log), and the counts.
  left=$(grep -c ' left out: ' "$log" || true)
  grep ' left out: ' "$log" | head -n 20 || true
  if [ "$left" -gt 20 ]; then echo "... $((left - 20)) more in $log"; fi
  tail -n 1 "$log"
  exit 0
fi
source_dir=${KSTARS_DATA:-/usr/share/kstars}
input="$source_dir/asteroids.dat"
[ -r "$input" ] || { echo "20-catalogue: $input not found (install kstars-data)" >&2; exit 1; }
list="$PKG_WORK/catalogue.tsv"
/usr/bin/python3 "$PKG_SRC/tools/catalogue_extract.py" "$input" > "$list"
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
