#!/usr/bin/env bash
# The observatory lists: the text list "observa1.dat" from a list of
# observatory codes in the Minor Planet Center's format, then the record list
# "observat.dat" built from it by the library (obswri).
#
# ZELVO_OBSCODES names the list to use (the page ObsCodes.html or its plain
# text) when a user has a full one. Without it the package bundles the excerpt
# of that list (codes 000-010) that Debian's python3-astroquery ships with its
# tests.
set -euo pipefail
list=${ZELVO_OBSCODES:-}
if [ -z "$list" ]; then
  list=$(dpkg -L python3-astroquery 2>/dev/null | grep '/mpc/tests/data/ObsCodes\.html$' | head -n 1 || true)
  if [ -z "$list" ]; then
    echo "30-observatories: no list of observatory codes: install python3-astroquery (scripts/deps.sh) or set ZELVO_OBSCODES" >&2
    exit 1
  fi
fi
"$PKG_BUILD/tools/mkobserva1" "$list" "${PKG_DATA}observa1.dat"
"$PKG_BUILD/tools/obswrite" "$PKG_DATA"
