#!/usr/bin/env bash
# The observatory lists: the text list "observa1.dat" from a list of
# observatory codes in the Minor Planet Center's format, then the record list
# "observat.dat" built from it by the library (obswri).
#
# The package bundles the MPC's whole list (tools/package/data/ObsCodes.html,
# January 2026, 2,662 codes; its origin is noted in the README beside it).
# ZELVO_OBSCODES names another list to use (the page ObsCodes.html or its
# plain text), for example a newer one.
set -euo pipefail
list=${ZELVO_OBSCODES:-$PKG_SRC/tools/package/data/ObsCodes.html}
[ -r "$list" ] || { echo "30-observatories: the list of observatory codes $list cannot be read" >&2; exit 1; }
"$PKG_BUILD/tools/mkobserva1" "$list" "${PKG_DATA}observa1.dat" > "$PKG_WORK/observatories.log"
head -n 2 "$PKG_WORK/observatories.log"
"$PKG_BUILD/tools/obswrite" "$PKG_DATA"
