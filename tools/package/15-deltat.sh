#!/usr/bin/env bash
# Delta T table "ephcorr" from the published series shipped with python3-skyfield.
set -euo pipefail
/usr/bin/python3 "$PKG_SRC/tools/deltat_table.py" "${PKG_DATA}ephcorr"
