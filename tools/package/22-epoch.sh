#!/usr/bin/env bash
# Brings the element catalogue to the package's own epoch: every object of
# "elitel" and the three perturbing minor planets (Ceres, Pallas, Vesta) are
# integrated by tools/mkyearly from the epoch of the JPL extract (settings
# values of 20-catalogue) to the catalogue epoch below, with the library's
# integrator and force model (planets of "coorbp", the three perturbers, the
# Sun's relativistic term). "elitel" is rewritten in place; catalogue_epoch,
# first_year, last_year and perturber1-3 go into the settings values, where
# they override those of 20-catalogue.
#
# The package years are 2024-2028 (five, as many as settings records 7 and 8
# hold); the catalogue epoch is JD 2461000.5 (2025 November 21.0 TT), one of
# the standard 200-day epochs of the Minor Planet Center, inside those years.
# PKG_JOBS sets the number of worker threads (default: the processors).
# Runs once after 20-catalogue, which writes the catalogue at the source epoch.
#
# Comets edition: the force model of the library's comet mode (mkyearly
# takes it from the settings value comet_edition), and each comet starts at
# its own epoch of the JPL extract (PKG_WORK/comet-sources.txt of
# 20-catalogue), which for comets spreads over decades; an own epoch outside
# the planetary ephemeris file is brought into its span by two-body motion.
set -euo pipefail
epoch=2461000.5
first_year=2024
last_year=2028
jobs=${PKG_JOBS:-$(nproc)}
sources=()
[ "${PKG_COMETS:-0}" = 1 ] && sources=(--sources "$PKG_WORK/comet-sources.txt")
"$PKG_BUILD/tools/mkyearly" epoch "$PKG_DATA" "$PKG_WORK/setpar.d/22-epoch.txt" "$epoch" "$first_year" "$last_year" \
  "$PKG_WORK/setpar.d/10-ephemeris.txt" "$PKG_WORK/setpar.d/20-catalogue.txt" --jobs "$jobs" "${sources[@]}"
