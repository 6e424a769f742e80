#!/usr/bin/python3
"""Extracts published observation lines of (12893) in the Minor Planet
Center's 80-column format from the sample that Debian's python3-astroquery
ships (mpc/tests/data/mpc_obs.dat, the MPC's own records), one line in every
twenty-five, into mpc_obs_12893.txt."""
import json
import sys

src = "/usr/lib/python3/dist-packages/astroquery/mpc/tests/data/mpc_obs.dat"
records = [r["original_record"] for r in json.load(open(src)) if len(r["original_record"]) == 80]
out = sys.argv[1] if len(sys.argv) > 1 else "mpc_obs_12893.txt"
with open(out, "w", newline="\r\n") as f:
    for line in records[::25]:
        f.write(line + "\n")
