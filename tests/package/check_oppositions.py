#!/usr/bin/python3
"""The opposition files of a data package against oppositions computed here.

    check_oppositions.py PACKAGE_WORK_DIR [MIN_INCLINATION_DEG]

For every object inclined more than MIN_INCLINATION_DEG (default 12) to the
ecliptic, the oppositions of the package years are found here, sharing no
code with the library or the package tools:
  - the Earth from ERFA's eraEpv00 (heliocentric, equator of J2000);
  - the object from its osculating element sets in the yearly element files
    ("ad<YYYY>", "el<YYYY>", read by their documented layout): at each date
    the set whose epoch lies nearest, Kepler's equation solved here;
  - opposition: the heliocentric directions of the object and the Earth
    projected on the equator of J2000 coincide, the object farther from the
    Sun in that projection and on the Earth's side of it (opposition in
    right ascension); the sign changes on a one-day grid refined to 1e-9
    day.
Every date that the files "opp<YYYY>" list for those objects must lie within
0.01 day of one found here, and every date found here (at most the first
three of an object in a year) must be listed. The settings' counts of
record 7 must be the files' lengths and the files in date order.
Exits 1 on a mismatch, 77 when the package or the Python packages are
missing (skipped).
"""
import math
import os
import struct
import sys
import warnings

try:
    import numpy as np
    import erfa
except ImportError as e:  # pragma: no cover
    print("skipped:", e)
    sys.exit(77)
warnings.filterwarnings("ignore", category=erfa.ErfaWarning)

K = 0.01720209895
OBLIQUITY = 0.4090928042223
TOLERANCE = 0.01  # days
PER_YEAR = 3


class Package:
    def __init__(self, work):
        raw = open(os.path.join(work, "setpar"), "rb").read()
        rec = lambda n: raw[(n - 1) * 80:n * 80]
        self.data = rec(4).decode("latin-1").strip()
        self.epoch, self.objects, _numbered, _special = struct.unpack_from("<d3i", rec(6), 0)
        self.first_year, self.last_year = struct.unpack_from("<2h", rec(6), 20)
        self.counts = struct.unpack_from("<5i", rec(7), 0)
        self.years = list(range(self.first_year, self.last_year + 1))

    def read(self, name):
        for f in os.listdir(self.data):
            if f.lower() == name.lower():
                return open(os.path.join(self.data, f), "rb").read()
        raise FileNotFoundError(name)

    def catalogue(self):
        return np.frombuffer(self.read("elitel"), dtype="<f8")[:6 * self.objects].reshape(self.objects, 6)

    def sets(self):
        """{number: sets (epoch, M, peri, node, incl, e, n) of all package
        years in ascending epoch}: "ad<YYYY>" holds one 32-bit word per
        catalogue number, first set x 1000 + count; "el<YYYY>" sets of 7
        doubles, 40 to a 2240-byte record, set s (from 1) the s-th group."""
        out = {}
        for y in self.years:
            try:
                ad = np.frombuffer(self.read("ad%04d" % y), dtype="<i4")
                el = np.frombuffer(self.read("el%04d" % y), dtype="<f8").reshape(-1, 7)
            except FileNotFoundError:
                continue
            for k in np.nonzero(ad)[0]:
                first, count = divmod(int(ad[k]), 1000)
                if count:
                    out.setdefault(int(k) + 1, []).append(el[first - 1:first - 1 + count])
        return {n: np.concatenate(v)[np.argsort(np.concatenate(v)[:, 0], kind="stable")] for n, v in out.items()}

    def oppositions(self):
        """{number: [dates]} of the files, and the problems of their layout."""
        out, problems = {}, []
        for i, y in enumerate(self.years):
            raw = self.read("opp%04d" % y)
            if len(raw) != 12 * self.counts[i]:
                problems.append("opp%04d holds %d bytes for %d records" % (y, len(raw), self.counts[i]))
            recs = np.frombuffer(raw[:12 * self.counts[i]], dtype=np.dtype([("jd", "<f8"), ("n", "<i4")]))
            if np.any(np.diff(recs["jd"]) < 0):
                problems.append("opp%04d is not in date order" % y)
            j1, j2 = sum(erfa.cal2jd(y, 1, 1)), sum(erfa.cal2jd(y + 1, 1, 1))
            if len(recs) and (recs["jd"].min() < j1 or recs["jd"].max() >= j2):
                problems.append("opp%04d lists a date outside %d" % (y, y))
            for jd, n in zip(recs["jd"], recs["n"]):
                out.setdefault(int(n), []).append(float(jd))
        return out, problems


def nearest(sets, t):
    """Per date of t, the row of `sets` (epoch, M, peri, node, incl, e, n;
    ascending epoch; one object's, or per date its own padded array of shape
    len(t) x count x 7 with unused rows at epoch infinity) whose epoch lies
    nearest it."""
    t = np.asarray(t, dtype=float)
    if sets.ndim == 2:
        i = np.searchsorted(sets[:, 0], t)
        lo, hi = np.clip(i - 1, 0, len(sets) - 1), np.clip(i, 0, len(sets) - 1)
        return np.where((np.abs(sets[hi, 0] - t) < np.abs(t - sets[lo, 0]))[:, None], sets[hi], sets[lo])
    return sets[np.arange(len(t)), np.argmin(np.abs(sets[:, :, 0] - t[:, None]), axis=1)]


def positions(s, t):
    """Heliocentric equatorial J2000 positions (len(t) x 3) at the dates t
    from the element sets s (one row per date)."""
    epoch, m0, w, node, inc, e, n = s.T
    M = m0 + n * (t - epoch)
    E = M.copy()
    for _ in range(50):
        step = (E - e * np.sin(E) - M) / (1.0 - e * np.cos(E))
        E = E - step
        if np.max(np.abs(step)) < 1e-13:
            break
    a = (K / n) ** (2.0 / 3.0)
    xp, yp = a * (np.cos(E) - e), a * np.sqrt(1.0 - e * e) * np.sin(E)
    cw, sw, cn, sn, ci, si = np.cos(w), np.sin(w), np.cos(node), np.sin(node), np.cos(inc), np.sin(inc)
    x = (cw * cn - sw * sn * ci) * xp + (-sw * cn - cw * sn * ci) * yp
    y = (cw * sn + sw * cn * ci) * xp + (-sw * sn + cw * cn * ci) * yp
    z = sw * si * xp + cw * si * yp
    ce, se = math.cos(OBLIQUITY), math.sin(OBLIQUITY)
    return np.stack([x, ce * y - se * z, se * y + ce * z], axis=1)


def earth(t):
    pvh, _ = erfa.epv00(np.asarray(t, dtype=float), 0.0)
    return pvh["p"] if pvh.dtype.names else pvh[..., 0, :]


def geometry(x, X):
    """cross (its sign changes at opposition and conjunction), dot, and the
    object's projected distance minus the Earth's."""
    cross = X[:, 0] * x[:, 1] - X[:, 1] * x[:, 0]
    dot = X[:, 0] * x[:, 0] + X[:, 1] * x[:, 1]
    return cross, dot, np.hypot(x[:, 0], x[:, 1]) - np.hypot(X[:, 0], X[:, 1])


def brackets(sets, grid, earth_grid):
    """The grid intervals (start dates) where the cross product of one
    object changes its sign with the object on the Earth's side of the Sun
    at one end at least (not a conjunction)."""
    c, dot, _ = geometry(positions(nearest(sets, grid), grid), earth_grid)
    return grid[np.nonzero((c[:-1] * c[1:] <= 0) & (c[:-1] != 0) & ((dot[:-1] > 0) | (dot[1:] > 0)))[0]]


def roots(owners, starts, padded):
    """The roots of all intervals [start, start + 1] at once, to 1e-9 day
    (regula falsi with the Illinois modification; padded[owners[i]] are the
    sets of interval i's object). Returns the dates and whether each is an
    opposition (object on the Earth's side of the Sun and farther out)."""
    sets = padded[owners]
    f = lambda t, k: geometry(positions(nearest(sets[k], t), t), earth(t))
    everything = np.arange(len(starts))
    a, b = starts.copy(), starts + 1.0
    fa, fb = f(a, everything)[0], f(b, everything)[0]
    side = np.zeros(len(a))
    c = b.copy()
    active = everything
    for _ in range(60):
        if not len(active):
            break
        k = active
        prev = c[k]
        c[k] = np.where(fb[k] == fa[k], 0.5 * (a[k] + b[k]), (a[k] * fb[k] - b[k] * fa[k]) /
                        np.where(fb[k] == fa[k], 1.0, fb[k] - fa[k]))
        fc = f(c[k], k)[0]
        low = (fc > 0) == (fa[k] > 0)  # the root lies between c and b
        a[k], fa[k] = np.where(low, c[k], a[k]), np.where(low, fc, fa[k])
        b[k], fb[k] = np.where(low, b[k], c[k]), np.where(low, fb[k], fc)
        # Illinois: halve the value at the end that stayed twice in a row.
        fb[k] = np.where(low & (side[k] == 1), fb[k] / 2, fb[k])
        fa[k] = np.where(~low & (side[k] == -1), fa[k] / 2, fa[k])
        side[k] = np.where(low, 1, -1)
        active = k[(np.abs(c[k] - prev) >= 1e-9) & (fc != 0)]
    _, dot, farther = f(c, everything)
    return c, (dot > 0) & (farther > 0)


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        return 2
    work = sys.argv[1]
    min_incl = math.radians(float(sys.argv[2]) if len(sys.argv) == 3 else 12.0)
    if not os.path.exists(os.path.join(work, "setpar")):
        print("skipped: no package at", work)
        return 77
    pkg = Package(work)
    first, last = sum(erfa.cal2jd(pkg.first_year, 1, 1)), sum(erfa.cal2jd(pkg.last_year + 1, 1, 1))
    grid = np.arange(math.floor(first) - 1.5, last + 2.0, 1.0)
    earth_grid = earth(grid)
    cat = pkg.catalogue()
    sets = pkg.sets()
    files, problems = pkg.oppositions()
    inclined = [n for n in range(1, pkg.objects + 1) if cat[n - 1, 5] > 0 and cat[n - 1, 3] > min_incl]
    # Each object's orbit: its yearly sets, or without any its catalogue
    # elements; padded with sets at epoch infinity to one array.
    orbits = []
    for n in inclined:
        orbit = sets.get(n)
        orbits.append(orbit if orbit is not None else np.concatenate([[pkg.epoch], cat[n - 1]])[None, :])
    padded = np.full((len(orbits), max((len(o) for o in orbits), default=1), 7), np.inf)
    padded[:, :, 1:] = 0.0
    owners, starts = [], []
    for i, orbit in enumerate(orbits):
        padded[i, :len(orbit)] = orbit
        b = brackets(orbit, grid, earth_grid)
        owners += [i] * len(b)
        starts += list(b)
    r, opposition = roots(np.array(owners, dtype=int), np.array(starts), padded)
    found = {}
    for i, t, ok in zip(owners, r, opposition):
        if ok and first <= t < last:
            found.setdefault(inclined[i], []).append(float(t))
    dates = worst = 0.0
    for n in inclined:
        # At most three of an object in a year.
        per_year, expected = {}, []
        for t in sorted(found.get(n, [])):
            y = erfa.jd2cal(t, 0.0)[0]
            per_year[y] = per_year.get(y, 0) + 1
            if per_year[y] <= PER_YEAR:
                expected.append(t)
        listed = sorted(files.get(n, []))
        dates += len(listed)
        for t in listed:
            off = min((abs(t - r) for r in expected), default=math.inf)
            worst = max(worst, off if off < math.inf else 0.0)
            if off > TOLERANCE:
                problems.append("object %d: the files list JD %.6f, the nearest found here %.3f days away" % (n, t, off))
        for r in expected:
            if min((abs(t - r) for t in listed), default=math.inf) > TOLERANCE:
                problems.append("object %d: the opposition of JD %.6f is not listed" % (n, r))
    print("%d objects inclined more than %.0f degrees, %d dates of the files: largest difference %.5f day"
          % (len(inclined), math.degrees(min_incl), dates, worst))
    for p in problems[:40]:
        print("FAIL: " + p)
    if len(problems) > 40:
        print("... and %d more" % (len(problems) - 40))
    if not inclined or dates == 0:
        print("FAIL: no inclined object with an opposition was checked")
        return 1
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
