#!/usr/bin/python3
"""Reference states from a JPL binary ephemeris file (DE403/DE405 layout).

    make_de405_reference.py FILE > STATES.txt

An independent minimal reader written from JPL's published description of
its binary files (the header record's span, AU, EMRAT and coefficient
pointers; data records of Chebyshev coefficients in km) and JPL's PLEPH
conventions (the Earth from the Earth-Moon barycentre and the geocentric Moon
with EMRAT; the Moon relative to the Earth straight from the Moon's row). The
series are evaluated with numpy.polynomial.chebyshev (chebval, chebder), so the
derivatives do not share any code with the library's recurrences.

Output: one line per date and body pair, "jd target centre" in JPL's numbering
(1 Mercury .. 9 Pluto, 10 Moon, 11 Sun, 12 solar-system barycentre, 13
Earth-Moon barycentre) followed by position (AU), velocity (AU/day) and
acceleration (AU/day^2), 9 numbers, in the frame of the file.
"""
import struct
import sys

import numpy as np
from numpy.polynomial import chebyshev as C

WORDS = 1018


def load(path):
    raw = open(path, "rb").read()
    start, end, step = struct.unpack_from("<3d", raw, 2652)
    au, emrat = struct.unpack_from("<2d", raw, 2680)
    ipt = np.array(struct.unpack_from("<36i", raw, 2696)).reshape(12, 3)
    data = np.frombuffer(raw, dtype="<f8")[2 * WORDS:].reshape(-1, WORDS)
    return dict(start=start, end=end, step=step, au=au, emrat=emrat, ipt=ipt, data=data)


def raw_state(e, body, jd):
    """Barycentric (Moon: geocentric) state of JPL row body (1..11) in AU."""
    i = min(int((jd - e["start"]) // e["step"]), len(e["data"]) - 1)
    rec = e["data"][i]
    assert rec[0] <= jd <= rec[1]
    first, n, nsub = e["ipt"][body - 1]
    dsub = e["step"] / nsub
    k = min(int((jd - rec[0]) // dsub), nsub - 1)
    x = 2.0 * (jd - (rec[0] + k * dsub)) / dsub - 1.0
    out = np.zeros(9)
    for comp in range(3):
        w = first - 1 + (k * 3 + comp) * n
        c = rec[w:w + n]
        out[comp] = C.chebval(x, c)
        out[3 + comp] = C.chebval(x, C.chebder(c)) * (2.0 / dsub)
        out[6 + comp] = C.chebval(x, C.chebder(c, 2)) * (2.0 / dsub) ** 2
    return out / e["au"]


def state(e, target, centre, jd):
    if {target, centre} == {3, 10}:
        moon = raw_state(e, 10, jd)
        return moon if target == 10 else -moon

    def bary(b):
        if b == 12:
            return np.zeros(9)
        if b == 13:
            return raw_state(e, 3, jd)
        if b in (3, 10):
            emb = raw_state(e, 3, jd)
            moon = raw_state(e, 10, jd)
            earth = emb - moon / (1.0 + e["emrat"])
            return earth if b == 3 else earth + moon
        return raw_state(e, b, jd)

    return bary(target) - bary(centre)


def main():
    e = load(sys.argv[1])
    dates = [e["start"], 2451540.5, 2451545.0, 2451550.123456789, 2451568.5, 2451583.999,
             2451600.75, e["end"]]
    pairs = [(b, 11) for b in (1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13)]
    pairs += [(11, 12), (3, 12), (10, 12), (10, 3), (3, 10), (11, 3), (4, 3), (5, 13), (12, 11)]
    print("# jd target centre x y z vx vy vz ax ay az (AU, AU/day, AU/day^2)")
    for jd in dates:
        for t, c in pairs:
            s = state(e, t, c, jd)
            print("%.9f %d %d %s" % (jd, t, c, " ".join("%.17e" % v for v in s)))


if __name__ == "__main__":
    main()
