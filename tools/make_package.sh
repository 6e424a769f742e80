#!/usr/bin/env bash
# Builds the data package.
#
#   tools/make_package.sh BUILD_DIR OUT_DIR [--small] [--comets]
#
# OUT_DIR/work is the working directory of the programs (settings file
# "setpar", path file "setpath"); OUT_DIR/el/ is the data directory and
# OUT_DIR/TMP/ the temporary directory beside it. --small builds the small
# package that tests use (short ephemeris span, few objects). --comets builds
# the comets edition (the catalogue of comets, "ngr.eff", "M2C.K2C", settings
# record 14 set); without it the package is the minor-planet edition.
#
# Each step is a script tools/package/NN-name.sh, run in the order of NN with
#   PKG_DATA   the data directory (ends with "/")
#   PKG_WORK   the working directory
#   PKG_BUILD  the build directory (tools under PKG_BUILD/tools)
#   PKG_SMALL  1 for the small package, 0 for the full one
#   PKG_COMETS 1 for the comets edition, 0 for the minor-planet edition
#   PKG_SRC    the source tree
# A step writes its files into PKG_DATA and the settings values it knows into
# PKG_WORK/setpar.d/NN-name.txt as lines "key value ...", which the last step
# assembles into "setpar" (tools/mksetpar.cpp lists the keys).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
out=$2
small=0
comets=0
for option in "${@:3}"; do
  case "$option" in
    --small) small=1 ;;
    --comets) comets=1 ;;
    *) echo "make_package: unknown option $option" >&2; exit 2 ;;
  esac
done
mkdir -p "$out/work/setpar.d" "$out/el" "$out/TMP"
out=$(cd "$out" && pwd)
export PKG_DATA="$out/el/" PKG_WORK="$out/work" PKG_BUILD="$build" PKG_SMALL=$small PKG_COMETS=$comets PKG_SRC="$src"
for step in "$src"/tools/package/[0-9][0-9]-*.sh; do
  echo "package: $(basename "$step")"
  bash "$step"
done
echo "package ready: working directory $PKG_WORK, data directory $PKG_DATA"
