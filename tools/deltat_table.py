#!/usr/bin/python3
"""Writes the Delta T table "ephcorr" of the data package.

Layout (direct access, 8-byte little-endian doubles):
  record 1      L, the last Besselian year covered
  record 1 + k  Delta T (seconds, TT - UT1) of entry k:
                k = 1 .. 139   the Besselian years 1819.0 .. 1957.0, yearly
                k = 140, 141   not used by the interpolation (written as 0)
                k = 142 ...    the Besselian years 1955.75, 1956.0, ... quarterly

Values come from the published series that Debian's python3-skyfield ships
as data: the historic IERS table (half-yearly, to 1984) before 1973, and the
daily IERS series (finals) from 1973 on. The table ends with the last measured
quarter; the library holds the last value beyond it.
"""
import os
import struct
import sys

import numpy as np
import skyfield


def jd_of_besselian(b):
    # The library's Besselian year: B = (JD - 2415020.31352) / 365.242199 + 1900.
    return (b - 1900.0) * 365.242199 + 2415020.31352


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: deltat_table.py OUT")
    data = os.path.join(os.path.dirname(skyfield.__file__), "data")
    historic = np.load(os.path.join(data, "historic_deltat.npy"))  # JD, Delta T
    iers = np.load(os.path.join(data, "iers.npz"))
    daily_jd = iers["tt_jd_minus_arange"] + np.arange(len(iers["tt_jd_minus_arange"]))
    daily_dt = iers["delta_t_1e7"] / 1e7
    last_year = np.floor(((daily_jd[-1] - 2415020.31352) / 365.242199 + 1900.0) * 4) / 4

    def delta_t(b):
        jd = jd_of_besselian(b)
        if jd < daily_jd[0]:
            return float(np.interp(jd, historic[0], historic[1]))
        return float(np.interp(jd, daily_jd, daily_dt))

    values = [delta_t(1818.0 + k) for k in range(1, 140)] + [0.0, 0.0]
    k = 142
    while 1956.0 + (k - 143) / 4.0 <= last_year + 1e-9:
        values.append(delta_t(1956.0 + (k - 143) / 4.0))
        k += 1
    with open(sys.argv[1], "wb") as out:
        out.write(struct.pack("<d", float(last_year)))
        for v in values:
            out.write(struct.pack("<d", v))
    print(f"ephcorr: {len(values)} values, last year {last_year}")


if __name__ == "__main__":
    main()
