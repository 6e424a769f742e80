#!/usr/bin/python3
"""Writes a synthetic catalogue of the Minor Planet Center's size in the
format of MPCORB.DAT, for the scale measurements of the package (README,
"A package of MPCORB.DAT's size"). Not bundled: made when measuring.

    make_synthetic_mpcorb.py SOURCE.dat OUT.dat.gz [COUNT [NUMBERED]]

SOURCE.dat is a file in the MPCORB format (tests/data/mpcorb-kstars.dat, the
7,096 objects of KStars' extract). Object k of the output (k = 1 .. COUNT,
default 1,400,000) repeats source object (k - 1) mod 7096 as copy
c = (k - 1) div 7096: the same a, e, n, inclination and perihelion, the mean
anomaly shifted by c x 137.508 degrees and the node by c x 7.3 degrees, H
fainter by 0.08 c magnitudes (so that the copies spread over H roughly as the
real catalogue does), all at the MPC's standard epoch K25BL (2025 November
21.0 TT, the package's epoch: no integration to it). The first NUMBERED
objects (default 870,000) are numbered 1 .. NUMBERED, written in the packed
forms (five digits, a letter and four digits, "~" and four base-62 digits past
619999); the others are unnumbered. Every object has a provisional
designation of its own (numbered ones of 1950-1999, unnumbered ones of
2000-2025) as its readable name.
"""
import gzip
import sys

B62 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
ALPHA = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
HALF = "ABCDEFGHJKLMNOPQRSTUVWXY"   # half-month letters (no I, no Z)
SECOND = "ABCDEFGHJKLMNOPQRSTUVWXYZ"  # second letters (no I)


def packed_number(n):
    if n < 100000:
        return "%05d" % n
    if n < 620000:
        return ALPHA[n // 10000 - 1] + "%04d" % (n % 10000)
    v = n - 620000
    return "~" + "".join(B62[v // 62 ** p % 62] for p in (3, 2, 1, 0))


def designations(first_year):
    """Packed and readable provisional designations in order."""
    year = first_year
    while True:
        for half in HALF:
            for cycle in range(620):
                for second in SECOND:
                    cyc = ("%02d" % cycle) if cycle < 100 else ALPHA[cycle // 10 - 1] + str(cycle % 10)
                    century = "IJK"[year // 100 - 18]
                    packed = "%s%02d%s%s%s" % (century, year % 100, half, cyc, second)
                    readable = "%d %s%s%s" % (year, half, second, cycle if cycle else "")
                    yield packed, readable
        year += 1


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 1400000
    numbered = int(sys.argv[4]) if len(sys.argv) > 4 else 870000
    src = [l.rstrip("\r\n") for l in open(sys.argv[1], encoding="ascii")
           if len(l) > 160 and not l.startswith("-") and l[20:25].strip() and l[26:35].strip()]
    named = designations(1950)
    unnamed = designations(2000)
    with gzip.open(sys.argv[2], "wt", encoding="ascii", newline="\n", compresslevel=3) as out:
        out.write("Synthetic catalogue in the MPCORB.DAT format (bench/make_synthetic_mpcorb.py): "
                  "%d objects, %d numbered\n\n" % (count, numbered))
        out.write("Des'n     H     G   Epoch     M        Peri.      Node       Incl.       e"
                  "            n           a        Reference #Obs #Opp    Arc    rms  Perts   Computer\n")
        out.write("-" * 202 + "\n")
        for k in range(1, count + 1):
            line = src[(k - 1) % len(src)]
            c = (k - 1) // len(src)
            h = float(line[8:13]) + 0.08 * c
            m = (float(line[26:35]) + 137.508 * c) % 360.0
            node = (float(line[48:57]) + 7.3 * c) % 360.0
            if k <= numbered:
                packed, readable = next(named)
                first, readable = packed_number(k), "(%d) %s" % (k, readable)
            else:
                first, readable = next(unnamed)
            out.write("%-7s %5.2f%s K25BL %9.5f%s%9.5f%s%-28s%s\n" % (
                first, h, line[13:19], m, line[35:48], node, line[57:166], readable, line[194:202]))
    print("%s: %d objects, %d numbered" % (sys.argv[2], count, numbered))


if __name__ == "__main__":
    main()
