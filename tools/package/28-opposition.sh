#!/usr/bin/env bash
# The opposition files "opp<YYYY>" of the package years, the special list
# "uplist" and the EMP opposition data "empeph" (empty: those data are not
# public), computed by tools/mkopposition from the catalogue and the
# planetary ephemeris file as they stand after the earlier steps; their
# settings values (opp_counts, special, empeph_list) go into
# setpar.d/28-opposition.txt.
#
# The package years are the last first_year/last_year over setpar.d/*.txt
# (an earlier step may move the catalogue epoch and set them); when no step
# set them the years are 2024-2028, which this step then writes itself.
set -euo pipefail
out="$PKG_WORK/setpar.d/28-opposition.txt"
rm -f "$out"
shopt -s nullglob
values=("$PKG_WORK"/setpar.d/*.txt)
last_value() {  # KEY: the last value of KEY over the settings values so far
  [ ${#values[@]} -eq 0 ] && return 0
  awk -v k="$1" '$1 == k { v = $2 } END { if (v != "") print v }' "${values[@]}"
}
first=$(last_value first_year)
last=$(last_value last_year)
own_years=0
if [ -z "$first" ] || [ -z "$last" ] || [ "$first" = 0 ] || [ "$last" = 0 ]; then
  first=2024
  last=2028
  own_years=1
fi
# The tool reads the package through the library: a settings file of the
# values so far, in a scratch working directory.
scratch="$PKG_WORK/opposition.tmp"
rm -rf "$scratch"
mkdir -p "$scratch"
printf 'first_year %s\nlast_year %s\n' "$first" "$last" > "$scratch/years.txt"
"$PKG_BUILD/tools/mksetpar" "$scratch/setpar" "$PKG_DATA" "${values[@]}" "$scratch/years.txt"
(cd "$scratch" && "$PKG_BUILD/tools/mkopposition" "$first" "$last" "$PKG_DATA" "$scratch/values.txt" \
  --jobs "${PKG_JOBS:-$(nproc)}")
{
  cat "$scratch/values.txt"
  [ "$own_years" = 1 ] && printf 'first_year %s\nlast_year %s\n' "$first" "$last"
  true
} > "$out"
rm -rf "$scratch"
cat "$out"
