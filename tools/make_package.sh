#!/usr/bin/env bash
# Builds the data package.
#
#   tools/make_package.sh BUILD_DIR OUT_DIR [--small] [--comets] [--mpcorb FILE]
#                         [--yearly-numbered] [--yearly-hmax H]
#
# OUT_DIR/work is the working directory of the programs (settings file
# "setpar", path file "setpath"); OUT_DIR/el/ is the data directory and
# OUT_DIR/TMP/ the temporary directory beside it. --small builds the small
# package that tests use (short ephemeris span, few objects). --comets builds
# the comets edition (the catalogue of comets, "ngr.eff", "M2C.K2C", settings
# record 14 set); without it the package is the minor-planet edition.
# --mpcorb FILE takes the catalogue from a file in the format of the Minor
# Planet Center's MPCORB.DAT, plain or compressed with gzip, in place of
# KStars' extract of JPL's elements. The yearly element files hold the sets
# of every object (a year of more sets than the 32-bit index word addresses
# gets the wide index). --yearly-numbered and --yearly-hmax H limit them, for
# small disks, to the numbered objects, or to the objects of absolute
# magnitude H or brighter (both together: the numbered objects of H or
# brighter); the others are computed from the catalogue elements by two-body
# motion where a task would use the yearly files.
#
# The package is built in a scratch directory inside OUT_DIR and moved into
# place only when every step has succeeded: a build that fails or is stopped
# leaves the package that was there before (or none) as it was, never a
# package half written.
#
# Each step is a script tools/package/NN-name.sh, run in the order of NN with
#   PKG_DATA        the data directory being built (ends with "/")
#   PKG_WORK        the working directory being built
#   PKG_DATA_FINAL  the data directory where the package will stand (the
#                   settings name it)
#   PKG_BUILD       the build directory (tools under PKG_BUILD/tools)
#   PKG_SMALL       1 for the small package, 0 for the full one
#   PKG_COMETS      1 for the comets edition, 0 for the minor-planet edition
#   PKG_MPCORB      the MPCORB.DAT file of --mpcorb, or empty
#   PKG_YEARLY_LIMIT  the options of mkyearly that limit the yearly files
#   PKG_SRC         the source tree
# A step writes its files into PKG_DATA and the settings values it knows into
# PKG_WORK/setpar.d/NN-name.txt as lines "key value ...", which the last step
# assembles into "setpar" (tools/mksetpar.cpp lists the keys).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 2 ] || { echo "usage: make_package.sh BUILD_DIR OUT_DIR [options]" >&2; exit 2; }
build=$(cd "$1" && pwd)
out=$2
small=0
comets=0
mpcorb=""
limit=()
shift 2
while [ $# -gt 0 ]; do
  case "$1" in
    --small) small=1 ;;
    --comets) comets=1 ;;
    --mpcorb)
      [ $# -ge 2 ] || { echo "make_package: --mpcorb needs a file" >&2; exit 2; }
      mpcorb=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
      [ -r "$mpcorb" ] || { echo "make_package: $2 cannot be read" >&2; exit 2; }
      shift ;;
    --yearly-numbered) limit+=(--numbered) ;;
    --yearly-hmax)
      [ $# -ge 2 ] || { echo "make_package: --yearly-hmax needs a magnitude" >&2; exit 2; }
      limit+=(--hmax "$2")
      shift ;;
    *) echo "make_package: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
[ "$comets" = 1 ] && [ -n "$mpcorb" ] && { echo "make_package: --mpcorb holds minor planets, not comets" >&2; exit 2; }
mkdir -p "$out"
out=$(cd "$out" && pwd)

# Scratch directories of builds that no longer run.
for stale in "$out"/.building.* "$out"/.replaced.*; do
  [ -e "$stale" ] || continue
  kill -0 "${stale##*.}" 2>/dev/null || rm -rf "$stale"
done
scratch="$out/.building.$$"
old="$out/.replaced.$$"
trap 'rm -rf "$scratch" "$old"' EXIT
mkdir -p "$scratch/work/setpar.d" "$scratch/el" "$scratch/TMP"
export PKG_DATA="$scratch/el/" PKG_WORK="$scratch/work" PKG_DATA_FINAL="$out/el/" PKG_BUILD="$build" \
  PKG_SMALL=$small PKG_COMETS=$comets PKG_MPCORB="$mpcorb" PKG_YEARLY_LIMIT="${limit[*]:-}" PKG_SRC="$src"
for step in "$src"/tools/package/[0-9][0-9]-*.sh; do
  echo "package: $(basename "$step")"
  bash "$step"
done

# Into place: the old package out of the way first, then the new one in.
mkdir -p "$old"
for part in work el TMP; do
  if [ -e "$out/$part" ]; then mv "$out/$part" "$old/$part"; fi
done
for part in work el TMP; do
  mv "$scratch/$part" "$out/$part"
done
echo "package ready: working directory $out/work, data directory $out/el/"
