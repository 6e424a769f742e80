#!/usr/bin/env bash
# Writes the fixtures of this folder: "orb.elm" and "moon.xyz" fitted by
# tools/mkfallback to the whole of JPL DE405 as the package bundles it
# (JD 2436912.5-2473488.5), with the elements at the catalogue epoch of the
# package, JD 2459800.5; accuracy.txt is the tool's own statement of their
# accuracy against that file.
#
#   tests/data/fallback/make_fixtures.sh BUILD_DIR
set -euo pipefail
src=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(cd "$1" && pwd)
here="$src/tests/data/fallback"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/python3 "$src/tools/de405_to_binary.py" "$tmp/coorbp" > /dev/null
"$build/tools/mkfallback" "$tmp/coorbp" 2436912.5 2473488.5 2459800.5 "$here/" "$here/accuracy.txt"
