#!/usr/bin/python3
"""Writes a stand-in for the Minor Planet Center's MPCORB.DAT with the mix of
orbital classes and magnitudes of the real catalogue, for the measurements
at its scale (README, "A package of MPCORB.DAT's size") and for tests that
need near-Earth objects in number. Not bundled: made on demand.

    make_mpcorb_standin.py SOURCE.dat OUT.dat[.gz] [COUNT [NUMBERED]] [--seed S] [--neo-first]

SOURCE.dat is a file in the MPCORB format (tests/data/mpcorb-kstars.dat, the
7,096 objects of KStars' extract). COUNT (default 1,450,000) objects are
written at the MPC's standard epoch K25BL (2025 November 21.0 TT), the
first NUMBERED (default 880,000) under the numbers 1 .. NUMBERED in the
packed forms (five digits, a letter and four digits, "~" and four base-62
digits past 619,999), the others under provisional designations of their
own: 2000-2025 with cycle counts below 620, and one in 300 of them 2025-2026
with cycle counts from 620 on, packed in the MPC's extended form
("_QC0000" for 2026 CA620).

The classes, in the shares of the real catalogue of 2026 (scaled to COUNT;
the exact figures for the default count):
  - near-Earth objects, perihelion below 1.3 AU: 38,327, made here (the
    source has two): a from 0.7 to 4 AU, q from 0.1 to 1.3 AU, inclination
    of a Rayleigh law of 12 degrees, H of the survey-limited law below, 17-28;
  - Jupiter Trojans (a 5.05-5.35 AU): 17,190, the source's Trojans resampled,
    H 10-17.5;
  - main belt, 95.5% (1,384,750): the source's objects of a 1.78-4.0 AU and
    perihelion beyond 1.3 AU resampled, H 9-19.5;
  - the rest (Hildas, Centaurs, transneptunian objects): the source's other
    objects within 200 AU resampled.
A resampled object keeps the source's a, e and inclination within small
random changes (a 1%, e 0.01, i 0.5 degrees) and takes random angles; n
follows from a. H follows, per class, a law N(<H) proportional to
10^(0.35 H) up to the class's faint limit (the shape of the catalogue's
distribution where surveys are complete), clipped at its bright end.

--neo-first gives the near-Earth objects the lowest numbers (for a small
package of the first objects, tools/make_package.sh --small, that holds
them). --seed sets the random numbers (default 34): the same arguments give
the same file.

Every line is checked against the MPC's column map of MPCORB.DAT before it
is written (202 columns, each field read back from its columns).
"""
import gzip
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_synthetic_mpcorb import ALPHA, B62, HALF, SECOND, packed_number  # noqa: E402

GAUSS_DEG = 0.01720209895 * 180.0 / math.pi  # k in degrees per day

REAL_COUNT = 1450000
REAL_NEO = 38327
REAL_TROJAN = 17190
REAL_MAIN = 1384750

# Per class: (bright limit, faint limit) of H.
H_RANGE = {"neo": (17.0, 28.0), "trojan": (10.0, 17.5), "main": (9.0, 19.5), "other": (5.0, 12.5)}


def packed_provisional(year, half, cycle, second):
    if cycle >= 620:
        v = (cycle - 620) * 25 + SECOND.index(second)
        return "_" + B62[year - 2000] + half + "".join(B62[v // 62 ** p % 62] for p in (3, 2, 1, 0))
    cyc = ("%02d" % cycle) if cycle < 100 else ALPHA[cycle // 10 - 1] + str(cycle % 10)
    return "%s%02d%s%s%s" % ("IJK"[year // 100 - 18], year % 100, half, cyc, second)


def readable_provisional(year, half, cycle, second):
    return "%d %s%s%s" % (year, half, second, cycle if cycle else "")


def designations(first_year, last_year):
    """Distinct provisional designations of the years in turn, cycles below
    620."""
    year = first_year
    while True:
        for half in HALF:
            for cycle in range(620):
                for second in SECOND:
                    yield year, half, cycle, second
        year = year + 1 if year < last_year else first_year


def extended_designations():
    """Designations of cycle counts 620-999 of 2025 and 2026."""
    for year in (2025, 2026):
        for half in HALF:
            for cycle in range(620, 1000):
                for second in SECOND:
                    yield year, half, cycle, second


def magnitude(rng, cls):
    bright, faint = H_RANGE[cls]
    h = faint - rng.expovariate(0.35 * math.log(10.0))
    return max(bright, h)


def neo_orbit(rng):
    while True:
        q = rng.uniform(0.1, 1.3)
        a = rng.uniform(max(q, 0.7), 4.0)
        e = 1.0 - q / a
        if e < 0.97:
            break
    i = min(abs(rng.gauss(0.0, 12.0)) * 1.2533, 70.0)
    return a, e, i


def resampled_orbit(rng, line):
    a = float(line[92:103]) * (1.0 + rng.uniform(-0.01, 0.01))
    e = min(max(float(line[70:79]) + rng.uniform(-0.01, 0.01), 0.0), 0.95)
    i = min(max(float(line[59:68]) + rng.uniform(-0.5, 0.5), 0.0), 179.0)
    return a, e, i


def classify(line):
    a, e = float(line[92:103]), float(line[70:79])
    if a * (1.0 - e) < 1.3:
        return "neo"
    if 5.05 <= a <= 5.35:
        return "trojan"
    if 1.78 <= a <= 4.0:
        return "main"
    return "other" if a < 200.0 else None


def check_columns(line, packed, readable):
    """The MPC's column map of MPCORB.DAT, read back field by field."""
    assert len(line) == 202, len(line)
    assert line[0:7].rstrip() == packed
    float(line[8:13]); float(line[14:19])
    assert line[20:25] == "K25BL"
    for c0, c1 in ((26, 35), (37, 46), (48, 57), (59, 68), (70, 79), (80, 91), (92, 103)):
        float(line[c0:c1])
    for c in (7, 13, 19, 25, 35, 36, 46, 47, 57, 58, 68, 69, 79, 91, 103):
        assert line[c] == " ", (c, line)
    a, n = float(line[92:103]), float(line[80:91])
    assert abs(n - GAUSS_DEG / a ** 1.5) <= 1e-4 * n + 1e-8
    assert line[166:194].rstrip() == readable


def main():
    args = [a for a in sys.argv[1:]]
    seed = 34
    neo_first = "--neo-first" in args
    if neo_first:
        args.remove("--neo-first")
    if "--seed" in args:
        k = args.index("--seed")
        seed = int(args[k + 1])
        del args[k:k + 2]
    if len(args) < 2:
        sys.exit(__doc__)
    count = int(args[2]) if len(args) > 2 else REAL_COUNT
    numbered = int(args[3]) if len(args) > 3 else min(880000, count)
    rng = random.Random(seed)
    src = [l.rstrip("\r\n") for l in open(args[0], encoding="ascii")
           if len(l) > 160 and not l.startswith("-") and l[20:25].strip() and l[26:35].strip()]
    pools = {"neo": [], "trojan": [], "main": [], "other": []}
    for l in src:
        cls = classify(l)
        if cls:  # orbits beyond 200 AU are left out: the columns of a and n have no room for them
            pools[cls].append(l)
    template = pools["main"][0]

    # The classes of the objects, in random order.
    scale = count / REAL_COUNT
    n_neo, n_trojan = round(REAL_NEO * scale), round(REAL_TROJAN * scale)
    n_main = round(REAL_MAIN * scale)
    n_other = max(count - n_neo - n_trojan - n_main, 0)
    classes = ["neo"] * n_neo + ["trojan"] * n_trojan + ["main"] * n_main + ["other"] * n_other
    classes = classes[:count]
    rng.shuffle(classes)
    if neo_first:
        classes.sort(key=lambda c: c != "neo")

    named = designations(1950, 1999)
    unnamed = designations(2000, 2025)
    extended = extended_designations()
    opener = gzip.open if args[1].endswith(".gz") else open
    kinds = {k: 0 for k in pools}
    written_extended = 0
    kw = {"compresslevel": 3} if args[1].endswith(".gz") else {}
    with opener(args[1], "wt", encoding="ascii", newline="\n", **kw) as out:
        out.write("Stand-in for MPCORB.DAT (bench/make_mpcorb_standin.py): %d objects, %d numbered\n\n"
                  % (count, numbered))
        out.write("Des'n     H     G   Epoch     M        Peri.      Node       Incl.       e"
                  "            n           a        Reference #Obs #Opp    Arc    rms  Perts   Computer\n")
        out.write("-" * 202 + "\n")
        for k in range(1, count + 1):
            cls = classes[k - 1]
            kinds[cls] += 1
            if cls == "neo":
                a, e, i = neo_orbit(rng)
            else:
                a, e, i = resampled_orbit(rng, rng.choice(pools[cls]))
            h = magnitude(rng, cls)
            n = GAUSS_DEG / a ** 1.5
            m, peri, node = (rng.uniform(0.0, 360.0) for _ in range(3))
            if k <= numbered:
                year, half, cycle, second = next(named)
                packed = packed_number(k)
                readable = "(%d) %s" % (k, readable_provisional(year, half, cycle, second))
            else:
                if k % 300 == 0:
                    year, half, cycle, second = next(extended)
                    written_extended += 1
                else:
                    year, half, cycle, second = next(unnamed)
                packed = packed_provisional(year, half, cycle, second)
                readable = readable_provisional(year, half, cycle, second)
            line = "%-7s %5.2f %5.2f K25BL %9.5f  %9.5f  %9.5f  %9.5f  %9.7f %11.8f %11.7f%s%-28s%s" % (
                packed, h, 0.15, m, peri, node, i, e, n, a, template[103:166], readable, template[194:202])
            check_columns(line, packed, readable)
            out.write(line + "\n")
    print("%s: %d objects, %d numbered; %d near-Earth, %d Trojans, %d main belt, %d other; "
          "%d extended designations" % (args[1], count, numbered, kinds["neo"], kinds["trojan"],
                                         kinds["main"], kinds["other"], written_extended))


if __name__ == "__main__":
    main()
