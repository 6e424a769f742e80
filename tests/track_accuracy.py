#!/usr/bin/python3
"""Track positions (the export MoonSun) of Ceres and Vesta against an independent ephemeris.

    track_accuracy.py LIBRARY PACKAGE_WORK_DIR [--limit ARCSEC]

Asks the library (LIBRARY, through ctypes, in the package's working directory
after Inpo) for the directions that the track view draws: geocentric,
astrometric, mean equator and equinox J2000. The dates lie in 2000 and 2040,
outside the package years, where no yearly element set serves, and in 2026,
inside them; each year is asked for as a track asks for it, date after date
from its first day, and two dates again after the others.

The reference is that of tests/ephem_accuracy.py, sharing no code with the
library: the DE405 file of the package read with numpy from JPL's documented
layout; the object and Ceres, Pallas, Vesta (settings records 11-13)
integrated with scipy's DOP853 at tight tolerances from the catalogue
elements at the catalogue epoch, heliocentric, with the Sun, the nine
planets (the Earth and the Moon apart), the three minor planets (an object
that is one of them does not attract itself) and the Sun's relativistic term;
light time iterated with barycentric states.

Prints the largest difference per object and year and exits 1 when one
reaches the limit (1"); 77 when something needed is missing (skipped).
"""
import ctypes
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
try:
    import numpy as np
    from scipy.integrate import solve_ivp
    import erfa
    import ephem_accuracy as ref
except (ImportError, SystemExit) as e:  # pragma: no cover
    print("skipped:", e)
    sys.exit(77)

ARCSEC = 1.0 / 206264.80624709636
OBJECTS = {1: "Ceres", 4: "Vesta"}
YEARS = (2000, 2026, 2040)
# Dates of a year: a track of ten days (a day apart) from January 1, then
# points 37 days apart to the year's end, then two dates asked again.
DAYS = list(range(0, 10)) + list(range(37, 366, 37)) + [3.5, 200.25]
SELF_DISTANCE = 1e-8  # AU: a perturber this close is the body itself


def make_force(de, epoch, bodies):
    """Accelerations of `bodies` heliocentric bodies: body 0 the object (massless),
    bodies 1.. the perturbing minor planets."""
    c = de.const
    gm = {b: c["GM%d" % b] for b in (1, 2, 4, 5, 6, 7, 8, 9)}
    gm[3] = c["GMB"] * de.emrat / (1.0 + de.emrat)
    gm[10] = c["GMB"] / (1.0 + de.emrat)
    gm_minor = [c["GMS"] * m for m in (4.7e-10, 1e-10, 1.3e-10)]
    inv_c2 = (c["AU"] / (c["CLIGHT"] * 86400.0)) ** 2
    k2 = ref.K2

    def f(t, y):
        b = de.bary(epoch + t)
        sun = b[11]
        planets = np.array([b[k] - sun for k in range(1, 11)])
        masses = np.array([gm[k] for k in range(1, 11)])
        x = y[:3 * bodies].reshape(bodies, 3)
        v = y[3 * bodies:].reshape(bodies, 3)
        r = np.linalg.norm(x, axis=1)[:, None]
        a = -k2 * x / r ** 3
        a += k2 * inv_c2 / r ** 3 * ((4 * k2 / r - np.sum(v * v, axis=1)[:, None]) * x +
                                     4 * np.sum(x * v, axis=1)[:, None] * v)
        d = x[:, None, :] - planets[None, :, :]
        dn = np.linalg.norm(d, axis=2)[:, :, None]
        pn = np.linalg.norm(planets, axis=1)[:, None]
        a -= np.sum(masses[None, :, None] * (d / dn ** 3 + (planets / pn ** 3)[None, :, :]), axis=1)
        for i in range(bodies):
            for j in range(1, bodies):
                dd = x[i] - x[j]
                dist = np.linalg.norm(dd)
                if j == i or dist < SELF_DISTANCE:
                    continue
                a[i] -= gm_minor[j - 1] * (dd / dist ** 3 + x[j] / np.linalg.norm(x[j]) ** 3)
        return np.concatenate([v.ravel(), a.ravel()])

    return f


def reference_paths(de, epoch, states, t_ends):
    y0 = np.concatenate([np.ravel([s[0] for s in states]), np.ravel([s[1] for s in states])])
    f = make_force(de, epoch, len(states))
    return [solve_ivp(f, (0.0, t), y0, method="DOP853", rtol=1e-13, atol=1e-16, dense_output=True) for t in t_ends]


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    lib_path, work = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    limit = float(sys.argv[sys.argv.index("--limit") + 1]) if "--limit" in sys.argv else 1.0
    if not os.path.exists(os.path.join(work, "setpar")) or not os.path.exists(lib_path):
        print("skipped: no package at", work, "or no library", lib_path)
        return 77
    data_dir, epoch, minor = ref.settings(work)
    de = ref.De(os.path.join(data_dir, "coorbp"))
    elements = np.fromfile(os.path.join(data_dir, "elitel"), dtype="<f8").reshape(-1, 6)
    inv_c = de.const["AU"] / (de.const["CLIGHT"] * 86400.0)
    first_days = {y: float(sum(erfa.cal2jd(y, 1, 1))) for y in YEARS}
    if any(not (de.start <= first_days[y] and first_days[y] + 366 <= de.end) for y in YEARS):
        print("skipped: the package's planetary ephemeris file does not cover", YEARS)
        return 77

    lib = ctypes.CDLL(lib_path)
    lib.errmsg.argtypes = [ctypes.c_char_p, ctypes.c_int]
    lib.MoonSun.argtypes = [ctypes.c_int, ctypes.c_double, ctypes.POINTER(ctypes.c_double)]
    old = os.getcwd()
    os.chdir(work)
    got = {}
    try:
        lib.Inpo()
        if lib.errmsg(None, 0) > 0:
            print("Inpo failed")
            return 1
        out = (ctypes.c_double * 5)()
        for n in OBJECTS:
            for y in YEARS:
                for day in DAYS:
                    jd = first_days[y] + day
                    lib.MoonSun(n, jd, out)
                    k = lib.errmsg(None, 0)
                    if k > 0:
                        buf = ctypes.create_string_buffer(k)
                        lib.errmsg(buf, k)
                        print("MoonSun(%d, %.2f): %s" % (n, jd, buf.raw.decode(errors="replace")))
                        return 1
                    got[(n, jd)] = (out[0], out[1])
    finally:
        os.chdir(old)

    failed = False
    for n, name in OBJECTS.items():
        states = [ref.kepler_state(elements[n - 1], epoch, epoch)] + [ref.kepler_state(m, epoch, epoch) for m in minor]
        ends = [min(first_days.values()) - epoch - 1.0, max(first_days.values()) + 367.0 - epoch]
        back, fwd = reference_paths(de, epoch, states, ends)
        for y in YEARS:
            worst = (0.0, 0.0)
            for day in DAYS:
                jd = first_days[y] + day
                e_pos, _ = de.earth_bary(jd)
                tau = 0.0
                for _ in range(10):
                    t = jd - tau - epoch
                    p = (fwd if t >= 0 else back).sol(t)[0:3] + de.sun_bary(jd - tau) - e_pos
                    tau = np.linalg.norm(p) * inv_c
                ra, dec = erfa.c2s(p)
                sep = erfa.seps(got[(n, jd)][0], got[(n, jd)][1], ra, dec) / ARCSEC
                worst = max(worst, (sep, jd))
            bad = worst[0] >= limit
            failed = failed or bad
            print("%-6s %d  largest difference %8.4f\" (JD %.2f)%s" % (name, y, worst[0], worst[1],
                                                                     "  over the limit" if bad else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
