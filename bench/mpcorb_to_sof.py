#!/usr/bin/python3
"""Writes the elements of a file in the format of the Minor Planet Center's
MPCORB.DAT (plain or gzip) as an "mpcorb.sof" file, the fixed-column text
layout in which Project Pluto's astcheck (Debian pluto-lunar) reads its
elements, so that astcheck can be run beside the identification on the same
objects (bench_idcalc, BM_AstcheckNight*).

    mpcorb_to_sof.py MPCORB.DAT[.gz] mpcorb.sof

The layout: a header line naming the fields, then one line per object, every
line 179 characters long; a field starts in the column of its name in the
header (Name 1, Te 18, Tp 30, q 47, i 65, Om 76, om 87, e 98, H 169, G 175,
from 1); the dates are calendar dates written as YYYYMMDD.ddd (TT). Tp, the
time of perihelion, is the epoch less M / n (M taken in (-180, 180]
degrees); q = a (1 - e). The header and the lines that are no elements are
skipped. The fields of the observations' statistics are written as zeros.
"""
import gzip
import sys

HEADER = ("Name         |C |Te      .  |Tp              |q                |i  .      |Om .      "
          "|om .      |e         |rms |n_u  |n_o  |Tfirst  .     |Tlast   .     |Twritten.   |H .  |G . ^")
WIDTH = len(HEADER)  # 179


def jd_to_calendar(jd):
    """Gregorian calendar date (year, month, day with its fraction) of a
    Julian date (Meeus, Astronomical Algorithms, chapter 7)."""
    z = int(jd + 0.5)
    f = jd + 0.5 - z
    alpha = int((z - 1867216.25) / 36524.25)
    a = z + 1 + alpha - alpha // 4
    b = a + 1524
    c = int((b - 122.1) / 365.25)
    d = int(365.25 * c)
    e = int((b - d) / 30.6001)
    day = b - d - int(30.6001 * e) + f
    month = e - 1 if e < 14 else e - 13
    year = c - 4716 if month > 2 else c - 4715
    return year, month, day


def calendar_to_jd(year, month, day):
    if month <= 2:
        year -= 1
        month += 12
    a = year // 100
    b = 2 - a + a // 4
    return int(365.25 * (year + 4716)) + int(30.6001 * (month + 1)) + day + b - 1524.5


def packed_epoch_jd(p):
    """JD of a packed epoch such as K25BL (2025 November 21.0 TT)."""
    def val(ch):
        return int(ch) if ch.isdigit() else ord(ch) - ord('A') + 10
    year = {'I': 1800, 'J': 1900, 'K': 2000}[p[0]] + int(p[1:3])
    return calendar_to_jd(year, val(p[3]), val(p[4]))


def dated(jd, decimals):
    y, m, d = jd_to_calendar(jd)
    return f"{y:04d}{m:02d}{d:0{3 + decimals}.{decimals}f}"


def place(line, col, text):
    return line[:col] + text + line[col + len(text):]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    src, out = sys.argv[1], sys.argv[2]
    opener = gzip.open if src.endswith(".gz") else open
    count = 0
    with opener(src, "rt", encoding="latin-1") as f, open(out, "w") as w:
        w.write(HEADER + "\n")
        for raw in f:
            s = raw.rstrip("\n")
            if len(s) < 103 or s[0] == ' ':
                continue
            try:
                h = float(s[8:13])
                g = float(s[14:19]) if s[14:19].strip() else 0.15
                epoch = packed_epoch_jd(s[20:25])
                m = float(s[26:35])
                peri, node, incl = float(s[37:46]), float(s[48:57]), float(s[59:68])
                e, n, a = float(s[70:79]), float(s[80:91]), float(s[92:103])
            except ValueError:
                continue
            if m > 180.0:
                m -= 360.0
            tp = epoch - m / n
            q = a * (1.0 - e)
            line = " " * WIDTH
            line = place(line, 0, s[0:7].strip()[:12])
            line = place(line, 17, dated(epoch, 2))
            line = place(line, 29, dated(tp, 7))
            line = place(line, 46, f"{q:.15f}"[:17])
            line = place(line, 64, f"{incl:10.6f}")
            line = place(line, 75, f"{node:10.6f}")
            line = place(line, 86, f"{peri:10.6f}")
            line = place(line, 97, f"{e:10.8f}")
            line = place(line, 108, "0.00")
            line = place(line, 113, f"{0:5d}{' ':1}{0:5d}")
            line = place(line, 125, dated(epoch, 5))
            line = place(line, 140, dated(epoch, 5))
            line = place(line, 155, dated(epoch, 3))
            line = place(line, 168, f"{h:5.2f}")
            line = place(line, 174, f"{g:5.2f}")
            w.write(line[:WIDTH] + "\n")
            count += 1
    print(f"{count} objects written to {out}", file=sys.stderr)


if __name__ == "__main__":
    main()
