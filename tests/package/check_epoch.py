#!/usr/bin/python3
"""Checks the catalogue that the package step 22-epoch.sh brought to the
package epoch against an integration of this script's own: the source
elements of the JPL extract (tools/catalogue_extract.py), the planets from
JPL DE405 as Debian's casacore-data-jpl-de405 ships it (read here with
python-casacore, not through the package's "coorbp" or the library's
reader), Kepler's equation, the force model and scipy's DOP853 integrator.

    check_epoch.py SOURCE_DIR PACKAGE_DIR [NUMBER ...]

PACKAGE_DIR is the OUT_DIR of tools/make_package.sh (work/setpar, el/elitel).
Checked: the elements of "elitel" of the objects given (default 3 Juno,
433 Eros, 881 Athene) and the three perturbers of settings records 11-13,
as heliocentric positions at the catalogue epoch of settings record 6.

Force model, the same physics as the package's: heliocentric, equator and
equinox J2000; the Sun (k^2), the planets with the DE405 masses (for an
object the Earth and the Moon apart, for the perturbers their barycentre),
Ceres, Pallas and Vesta (4.7e-10, 1e-10, 1.3e-10 solar masses) integrated
along, each point mass with its indirect term, and the Sun's 1PN
relativistic term (Schwarzschild, beta = gamma = 1).
"""
import math
import struct
import subprocess
import sys

import numpy as np
from casacore.tables import table
from scipy.integrate import solve_ivp

SRC, PKG = sys.argv[1], sys.argv[2]
NUMBERS = [int(a) for a in sys.argv[3:]] or [3, 433, 881]
K2 = 0.01720209895 ** 2
INV_C2 = (1.0 / (86400.0 * 299792.458 / 149597870.691)) ** 2  # (day/AU)^2
EPS = math.radians(84381.448 / 3600.0)  # obliquity of J2000 (IAU 1976)
INV_MASS = [6023600.0, 408523.71, 328900.5614, 3098708.0, 1047.3486, 3497.898, 22902.98, 19412.24, 135200000.0]
EMRAT = 81.30056
GM_EMB = K2 / INV_MASS[2]
GM_EARTH = GM_EMB * EMRAT / (EMRAT + 1.0)
GM_MOON = GM_EMB - GM_EARTH
GM_MINOR = [K2 * m for m in (4.7e-10, 1e-10, 1.3e-10)]
# Tolerance of the comparison (AU): the two integrations agree to about
# 1.5e-11 AU (2 m) after 1200 days; what remains are their errors and the
# rounding of the conversions.
TOL_POSITION = 1e-10   # 15 m
failures = []


def check(cond, what):
    print(("ok:   " if cond else "FAIL: ") + what)
    if not cond:
        failures.append(what)


# ---- DE405 from the casacore table ------------------------------------------
class DE405:
    def __init__(self, path="/usr/share/casacore/data/ephemerides/DE405"):
        t = table(path, ack=False, readonly=True)
        kw = t.getkeywords()
        self.au = float(kw["AU"])
        self.step = float(kw["dMJD"])
        desc = np.asarray(t.getcolkeywords("x")["Description"]).reshape(3, 13)
        self.ptr = [(int(desc[0, b]) - 3, int(desc[1, b]), int(desc[2, b])) for b in range(11)]
        self.mjd = np.asarray(t.getcol("MJD"))
        self.table = t
        self.cache = {}

    def rows(self, i):
        if i not in self.cache:
            self.cache[i] = np.asarray(self.table.getcell("x", i))
        return self.cache[i]

    def position(self, body, jd):
        """Barycentric (the Moon geocentric) position in AU, body 0-based:
        0 Mercury .. 8 Pluto, 9 Moon, 10 Sun; 2 is the Earth-Moon barycentre."""
        mjd = jd - 2400000.5
        i = int(np.searchsorted(self.mjd, mjd, side="right")) - 1
        c = self.rows(i)
        off, n, sub = self.ptr[body]
        x = (mjd - self.mjd[i]) / self.step * sub
        j = min(int(x), sub - 1)
        tc = 2.0 * (x - j) - 1.0
        block = c[off + 3 * n * j: off + 3 * n * (j + 1)].reshape(3, n)
        return np.polynomial.chebyshev.chebval(tc, block.T) / self.au

    def helio(self, jd):
        """Heliocentric positions: Mercury .. Pluto (the Earth-Moon
        barycentre third), then the Earth, then the Moon."""
        sun = self.position(10, jd)
        p = [self.position(b, jd) - sun for b in range(9)]
        moon = self.position(9, jd)
        earth = p[2] - moon / (EMRAT + 1.0)
        return p, earth, earth + moon


# ---- Two-body conversions -----------------------------------------------------------
def rotation(peri, node, incl):
    cw, sw, cn, sn, ci, si = math.cos(peri), math.sin(peri), math.cos(node), math.sin(node), math.cos(incl), math.sin(incl)
    p = np.array([cw * cn - sw * sn * ci, cw * sn + sw * cn * ci, sw * si])
    q = np.array([-sw * cn - cw * sn * ci, -sw * sn + cw * cn * ci, cw * si])
    ce, se = math.cos(EPS), math.sin(EPS)
    to_eq = np.array([[1, 0, 0], [0, ce, -se], [0, se, ce]])
    return to_eq @ p, to_eq @ q


def state(M, peri, node, incl, e, n):
    """Equatorial J2000 state of ecliptic elements (radians, rad/day)."""
    a = (math.sqrt(K2) / n) ** (2.0 / 3.0)
    E = M
    for _ in range(50):
        E -= (E - e * math.sin(E) - M) / (1.0 - e * math.cos(E))
    p, q = rotation(peri, node, incl)
    b = a * math.sqrt(1.0 - e * e)
    r = a * (math.cos(E) - e) * p + b * math.sin(E) * q
    edot = n / (1.0 - e * math.cos(E))
    v = -a * math.sin(E) * edot * p + b * math.cos(E) * edot * q
    return np.concatenate([r, v])


def source_elements():
    tsv = subprocess.run(["/usr/bin/python3", SRC + "/tools/catalogue_extract.py", "/usr/share/kstars/asteroids.dat"],
                         check=True, capture_output=True).stdout.decode("cp1252")
    out = {}
    for line in tsv.splitlines():
        f = line.split("\t")
        if f[0] != "0":
            out[int(f[0])] = [float(x) for x in f[5:12]]
    return out


def source_state(el):
    epoch, a, e, i, node, peri, M = el
    n = math.sqrt(K2) / a ** 1.5
    return epoch, state(math.radians(M), math.radians(peri), math.radians(node), math.radians(i), e, n)


# ---- Force model and integration ------------------------------------------------
def accelerations(t, y, de, own):
    """y: positions of all bodies, then velocities; the first `own` bodies
    are objects, the last three Ceres, Pallas, Vesta."""
    nb = len(y) // 6
    x = y[:3 * nb].reshape(nb, 3)
    v = y[3 * nb:].reshape(nb, 3)
    planets, earth, moon = de.helio(t)
    a = np.zeros_like(x)
    minor = [(x[own + k], GM_MINOR[k]) for k in range(3)]
    for b in range(nb):
        r = np.linalg.norm(x[b])
        a[b] = -K2 * x[b] / r ** 3
        if b < own:
            src = [(planets[i], K2 / INV_MASS[i]) for i in range(9) if i != 2] + [(earth, GM_EARTH), (moon, GM_MOON)]
        else:
            src = [(planets[i], K2 / INV_MASS[i]) for i in range(9)]
        src += [(p, gm) for p, gm in minor if np.linalg.norm(p - x[b]) > 1e-8]
        for p, gm in src:
            d = x[b] - p
            a[b] -= gm * (d / np.linalg.norm(d) ** 3 + p / np.linalg.norm(p) ** 3)
        w = v[b]
        a[b] += K2 * INV_C2 / r ** 3 * ((4.0 * K2 / r - w @ w) * x[b] + 4.0 * (x[b] @ w) * w)
    return np.concatenate([v.ravel(), a.ravel()])


def integrate(states, t0, t1, de, own):
    x = np.concatenate([s[:3] for s in states])
    v = np.concatenate([s[3:] for s in states])
    sol = solve_ivp(accelerations, (t0, t1), np.concatenate([x, v]), method="DOP853", rtol=1e-13, atol=1e-16,
                    args=(de, own))
    if not sol.success:
        sys.exit("integration failed: " + sol.message)
    y = sol.y[:, -1]
    nb = len(states)
    return [y[3 * b:3 * b + 3] for b in range(nb)]


def main():
    with open(PKG + "/work/setpar", "rb") as f:
        setpar = f.read()
    epoch = struct.unpack_from("<d", setpar, 400)[0]
    perturbers = [struct.unpack_from("<6d", setpar, 800 + 80 * k) for k in range(3)]
    with open(PKG + "/el/elitel", "rb") as f:
        elitel = f.read()
    src = source_elements()
    de = DE405()
    pert_src = [source_state(src[n]) for n in (1, 2, 4)]
    t0 = pert_src[0][0]
    if any(p[0] != t0 for p in pert_src):
        sys.exit("the perturbers' source epochs differ")

    # The objects and the perturbers in one integration (the perturbers do
    # not feel the objects, so they move as they would alone).
    objects = []
    for n in NUMBERS:
        t_src, s0 = source_state(src[n])
        if t_src != t0:
            print("skip: object %d has another source epoch" % n)
            continue
        objects.append((n, s0))
    got = integrate([s for _, s in objects] + [s for _, s in pert_src], t0, epoch, de, len(objects))
    for k, name in enumerate(("Ceres", "Pallas", "Vesta")):
        diff = np.linalg.norm(state(*perturbers[k])[:3] - got[len(objects) + k])
        check(diff < TOL_POSITION, "%s at JD %.1f (settings record %d): %.2e AU (tolerance %.0e)"
              % (name, epoch, 11 + k, diff, TOL_POSITION))
    for (n, s0), pos in zip(objects, got):
        el = struct.unpack_from("<6d", elitel, 48 * (n - 1))
        diff = np.linalg.norm(state(*el)[:3] - pos)
        moved = np.linalg.norm(pos - s0[:3])
        check(diff < TOL_POSITION, "object %d at JD %.1f: %.2e AU (tolerance %.0e; moved %.2f AU since JD %.1f)"
              % (n, epoch, diff, TOL_POSITION, moved, t0))
    if failures:
        print("%d failures" % len(failures))
        sys.exit(1)


main()
