#!/usr/bin/python3
"""Writes JPL DE405 as a binary ephemeris file in JPL's DE403/DE405 layout.

    de405_to_binary.py OUT [--start JD] [--end JD] [--table DIR]

The source is the DE405 table that Debian's casacore-data-jpl-de405 ships
(/usr/share/casacore/data/ephemerides/DE405): one row per 32-day record,
column "MJD" the record's start (modified Julian date, TDB) and column "x" the
record's 1016 Chebyshev coefficients (words 3-1018 of JPL's record) followed by
two unused zeros; the table keywords hold JPL's header constants in their
original order (DENUM .. ROTEY), the interval length (dMJD), AU and EMRAT, and
the coefficient pointers (column keyword "Description": 3 rows x 13 bodies,
first word, coefficients per component, sub-intervals).

The output file (the library calls it "coorbp") has fixed records of 1018
little-endian IEEE doubles (8144 bytes), as JPL's own binary files:

record 1, the header, byte offsets:
     0  three title lines of 84 characters
   252  400 constant names of 6 characters (blank-padded)
  2652  start JD, end JD, record length in days (3 doubles)
  2676  number of constants (int32)
  2680  astronomical unit in km (double)
  2688  Earth-Moon mass ratio (double)
  2696  coefficient pointers of the 12 bodies and nutations: 12 x 3 int32
        (first word, coefficients per component, sub-intervals)
  2840  DE number (int32)
  2844  pointers of the lunar librations (3 int32)
  rest  zero
record 2: the constants' values (doubles, in the order of their names), the
          rest of the record zero;
records 3 ...: data records: word 1 start JD, word 2 end JD of the record,
          words 3-1018 the coefficients in km (km/day scaled by the Chebyshev
          argument), time argument TDB.

With --start / --end only the records that cover [start, end] are written, and
the header states the span actually written. The span (first and last Julian
date) is printed on standard output as "eph_first_jd JD" and "eph_last_jd JD".
"""
import argparse
import datetime
import struct
import sys

import numpy as np
from casacore.tables import table

RECORD_WORDS = 1018
RECORD_BYTES = 8 * RECORD_WORDS
MJD_TO_JD = 2400000.5
MAX_CONSTANTS = 400
DEFAULT_TABLE = "/usr/share/casacore/data/ephemerides/DE405"
# Table keywords that describe the table itself, not JPL's constants.
TABLE_KEYWORDS = {"VS_CREATE", "VS_DATE", "VS_VERSION", "VS_TYPE", "TAB_VERSION", "MJD0", "dMJD"}


def calendar_text(jd):
    """'1959 DEC 10 00:00:00' for a Julian date at midnight."""
    day = datetime.datetime(2000, 1, 1, 12) + datetime.timedelta(days=jd - 2451545.0)
    return "%04d %s %02d %02d:%02d:%02d" % (day.year, day.strftime("%b").upper(), day.day,
                                           day.hour, day.minute, day.second)


def header_records(denum, start, end, step, names, values, au, emrat, ipt, lpt):
    rec1 = bytearray(RECORD_BYTES)
    titles = [
        "JPL Planetary Ephemeris DE%d/LE%d" % (denum, denum),
        "Start Epoch: JED= %10.1f %s" % (start, calendar_text(start)),
        "Final Epoch: JED= %10.1f %s" % (end, calendar_text(end)),
    ]
    for i, t in enumerate(titles):
        rec1[84 * i:84 * (i + 1)] = t.ljust(84).encode("ascii")
    padded = [n.ljust(6)[:6] for n in names] + [" " * 6] * (MAX_CONSTANTS - len(names))
    rec1[252:2652] = "".join(padded).encode("ascii")
    struct.pack_into("<3d", rec1, 2652, start, end, step)
    struct.pack_into("<i", rec1, 2676, len(names))
    struct.pack_into("<2d", rec1, 2680, au, emrat)
    struct.pack_into("<36i", rec1, 2696, *[v for row in ipt for v in row])
    struct.pack_into("<i", rec1, 2840, denum)
    struct.pack_into("<3i", rec1, 2844, *lpt)
    rec2 = bytearray(RECORD_BYTES)
    struct.pack_into("<%dd" % len(values), rec2, 0, *values)
    return bytes(rec1), bytes(rec2)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("out")
    ap.add_argument("--start", type=float, help="first Julian date wanted (TDB)")
    ap.add_argument("--end", type=float, help="last Julian date wanted (TDB)")
    ap.add_argument("--table", default=DEFAULT_TABLE)
    a = ap.parse_args()

    t = table(a.table, ack=False, readonly=True)
    kw = t.getkeywords()
    names = [k for k in kw if k not in TABLE_KEYWORDS]
    if len(names) > MAX_CONSTANTS:
        sys.exit("de405_to_binary: more than %d constants" % MAX_CONSTANTS)
    values = [float(kw[k]) for k in names]
    step = float(kw["dMJD"])
    denum = int(kw["DENUM"])
    desc = np.asarray(t.getcolkeywords("x")["Description"]).reshape(3, 13)
    ipt = [[int(desc[r, b]) for r in range(3)] for b in range(12)]
    lpt = [int(desc[r, 12]) for r in range(3)]
    ncoef = ipt[11][0] - 1 + 3 * ipt[11][1] * ipt[11][2]  # end of nutations
    ncoef = max(ncoef, lpt[0] - 1 + 3 * lpt[1] * lpt[2])   # end of librations
    if ncoef != RECORD_WORDS:
        sys.exit("de405_to_binary: the pointers give %d words a record, not %d" % (ncoef, RECORD_WORDS))

    mjd = t.getcol("MJD")
    if not np.all(np.diff(mjd) == step):
        sys.exit("de405_to_binary: the table's records are not contiguous")
    starts = mjd + MJD_TO_JD
    first = 0
    last = len(starts) - 1
    if a.start is not None:
        first = max(first, int(np.searchsorted(starts, a.start, side="right")) - 1)
    if a.end is not None:
        last = min(last, int(np.searchsorted(starts, a.end, side="left")) - 1)
    if last < first:
        sys.exit("de405_to_binary: no record covers the span asked for")
    span_start = float(starts[first])
    span_end = float(starts[last] + step)

    rec1, rec2 = header_records(denum, span_start, span_end, step, names, values,
                                float(kw["AU"]), float(kw["EMRAT"]), ipt, lpt)
    with open(a.out, "wb") as out:
        out.write(rec1)
        out.write(rec2)
        for i in range(first, last + 1):
            coeffs = np.asarray(t.getcell("x", i), dtype="<f8")
            if np.any(coeffs[RECORD_WORDS - 2:] != 0.0):
                sys.exit("de405_to_binary: unexpected words past the coefficients in row %d" % i)
            words = np.empty(RECORD_WORDS, dtype="<f8")
            words[0] = starts[i]
            words[1] = starts[i] + step
            words[2:] = coeffs[:RECORD_WORDS - 2]
            out.write(words.tobytes())
    print("eph_first_jd %.1f" % span_start)
    print("eph_last_jd %.1f" % span_end)


if __name__ == "__main__":
    main()
