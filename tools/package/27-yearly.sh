#!/usr/bin/env bash
# The yearly element files "ad<YYYY>" and "el<YYYY>" of the package years,
# by tools/mkyearly from the catalogue at its epoch (22-epoch): per object
# and year 8 osculating sets 15 days apart around the year's opposition, or
# 37 sets 10 days apart through the year for near-Earth objects (perihelion
# within 1.3 AU) and objects with two oppositions in the year; the settings
# values element_values (record 8) let the element search accept the latter
# at any date. Times and counts go to PKG_WORK/yearly.log.
# PKG_JOBS sets the number of worker threads (default: the processors).
# PKG_YEARLY_LIMIT (make_package.sh --yearly-numbered, --yearly-hmax H) limits
# the sets to the numbered objects or to the objects of H or brighter.
set -euo pipefail
jobs=${PKG_JOBS:-$(nproc)}
shopt -s nullglob
values=()
for f in "$PKG_WORK"/setpar.d/*.txt; do
  case "$(basename "$f")" in 27-*|[3-9][0-9]-*) ;; *) values+=("$f") ;; esac
done
read -r -a limit <<< "${PKG_YEARLY_LIMIT:-}"
"$PKG_BUILD/tools/mkyearly" years "$PKG_DATA" "$PKG_WORK/setpar.d/27-yearly.txt" "${values[@]}" --jobs "$jobs" \
  "${limit[@]}" \
  2> "$PKG_WORK/yearly.log" || { cat "$PKG_WORK/yearly.log" >&2; exit 1; }
cat "$PKG_WORK/yearly.log"
