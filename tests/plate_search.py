#!/usr/bin/python3
"""The plate search (export PltCalc) against an independent computation.

    plate_search.py LIBRARY PACKAGE_WORK_DIR [--report]
    plate_search.py LIBRARY --small SOURCE_DIR BUILD_DIR

LIBRARY is libzelvomat.so, called through ctypes. With --small the small data
package is built first (tools/make_package.sh BUILD_DIR TMP --small).

For each plate the test decides by itself which catalogued objects stand on
it, sharing no code with the library:
  - the catalogue files ("elitel", "elinm", "elih", "elig") and the settings
    ("setpar") read from their documented byte layouts;
  - each object on its two-body orbit from the elements the package serves
    at the date: the nearest set of the yearly osculating-element files
    ("ad<YYYY>", "el<YYYY>", read by their layout) inside the span they
    serve, the catalogue elements outside it; its light time iterated by
    solving Kepler's equation again at t - tau;
  - the Earth from ERFA's eraEpv00, the observatory (the text list
    "observa1.dat") by eraGst06a and eraPnm06a, TT from eraDat;
  - standard coordinates on the plate by eraTpxes, magnitudes by the IAU
    H, G system (Bowell et al. 1989).
The plates are centred on known objects at dates of the package years, near
the point opposite the Sun, where the search predicts the objects by their
opposition dates; on the full package 60 more 6 x 6 degree plates at random
dates, centred on random objects within 60 degrees of that point. Every object the reference places on a plate, and only
those, must be listed, in ascending right ascension, with positions within
0.3" and magnitudes within 0.06 of the reference; an object within 2" of an
edge (or 0.02 mag of the limit) is not counted either way. Exits 1 on a
mismatch, 77 when something needed is missing (skipped).
"""
import ctypes
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import warnings

try:
    import numpy as np
    import erfa
except ImportError as e:  # pragma: no cover
    print("skipped:", e)
    sys.exit(77)
# ERFA calls years past its leap-second table "dubious"; TT - UTC stays right
# to the second, which is far more than enough here.
warnings.filterwarnings("ignore", category=erfa.ErfaWarning)

K = 0.01720209895
LIGHT_DAYS_PER_AU = 0.00577551831
EARTH_RADIUS_AU = 6378.137 / 149597870.691
OBLIQUITY = 0.4090928042223
ARCSEC = math.pi / 648000.0
EDGE_MARGIN = 2.0 * ARCSEC
MAG_MARGIN = 0.02
POS_TOL = 0.3 * ARCSEC
MAG_TOL = 0.06


# ---- The package, read by its documented layouts --------------------------------

class Package:
    def __init__(self, work):
        raw = open(os.path.join(work, "setpar"), "rb").read()
        rec = lambda n: raw[(n - 1) * 80:n * 80]
        self.data = rec(4).decode("latin-1").strip()
        r6 = rec(6)
        self.epoch, self.objects, self.numbered, _special = struct.unpack_from("<d3i", r6, 0)
        self.first_year, self.last_year = struct.unpack_from("<2h", r6, 20)
        self.slope_count = struct.unpack_from("<i", rec(9), 4)[0]
        self.comet = struct.unpack_from("<i", rec(14), 0)[0]
        n = self.objects
        el = np.frombuffer(self.read("elitel"), dtype="<f8")[:6 * n].reshape(n, 6)
        names = self.read("elinm")
        htext = self.read("elih")
        self.el = el
        self.name = [names[18 * k:18 * k + 18].decode("latin-1") for k in range(n)]
        self.present = np.array([nm.strip() != "" for nm in self.name])
        self.h = np.array([float(htext[5 * k:5 * k + 5].decode() or 0) if htext[5 * k:5 * k + 5].strip() else 0.0
                           for k in range(n)])
        self.g = np.full(n, 0.15)
        slopes = self.read("elig")
        for k in range(self.slope_count):
            num = struct.unpack_from("<i", slopes, 9 * k)[0]
            self.g[num - 1] = float(slopes[9 * k + 4:9 * k + 9].decode())
        self.obs = {}
        text = self.read("observa1.dat").decode("latin-1")
        for k in range(len(text) // 79):
            line = text[79 * k:79 * k + 79]
            if line[3:30].strip():
                self.obs[line[0:3]] = (float(line[3:13]), float(line[13:21]), float(line[21:30]))

    def read(self, name):
        for f in os.listdir(self.data):
            if f.lower() == name.lower():
                return open(os.path.join(self.data, f), "rb").read()
        raise FileNotFoundError(name)


# ---- The reference sky --------------------------------------------------------------

def kepler_positions(el, epoch, jd):
    """Heliocentric equatorial J2000 positions (n x 3, AU) at jd (array or scalar)."""
    m0, w, node, inc, e, n = el.T
    M = m0 + n * (jd - epoch)
    E = M.copy()
    for _ in range(60):
        E = E - (E - e * np.sin(E) - M) / (1.0 - e * np.cos(E))
    a = (K / n) ** (2.0 / 3.0)
    xp, yp = a * (np.cos(E) - e), a * np.sqrt(1.0 - e * e) * np.sin(E)
    cw, sw, cn, sn, ci, si = np.cos(w), np.sin(w), np.cos(node), np.sin(node), np.cos(inc), np.sin(inc)
    px, py, pz = cw * cn - sw * sn * ci, cw * sn + sw * cn * ci, sw * si
    qx, qy, qz = -sw * cn - cw * sn * ci, -sw * sn + cw * cn * ci, cw * si
    x, y, z = xp * px + yp * qx, xp * py + yp * qy, xp * pz + yp * qz
    ce, se = math.cos(OBLIQUITY), math.sin(OBLIQUITY)
    return np.stack([x, ce * y - se * z, se * y + ce * z], axis=1)


def observer_heliocentric(pkg, code, utc1, utc2):
    tt1, tt2 = erfa.utctai(utc1, utc2)
    tt1, tt2 = erfa.taitt(tt1, tt2)
    pvh, _ = erfa.epv00(tt1, tt2)
    lon, rc, rs = pkg.obs[code]
    theta = erfa.gst06a(utc1, utc2, tt1, tt2) + math.radians(lon)
    tod = np.array([rc * math.cos(theta), rc * math.sin(theta), rs]) * EARTH_RADIUS_AU
    site = erfa.pnm06a(tt1, tt2).T @ tod
    return pvh[0] + site, tt1 + tt2


def yearly_sets(pkg, year):
    """The element sets of one package year, by the files' documented layout:
    "ad<YYYY>" one 32-bit word per catalogue number, first set x 1000 + count;
    "el<YYYY>" sets of 7 doubles (epoch, M, peri, node, incl, e, n), 40 to a
    2240-byte record, so that set s (from 1) is the s-th group of 7 doubles.
    Returns {number: array of sets} ({} when the year has no files), read
    once per year."""
    cache = pkg.__dict__.setdefault("yearly_cache", {})
    if year not in cache:
        cache[year] = read_yearly_sets(pkg, year)
    return cache[year]


def read_yearly_sets(pkg, year):
    try:
        ad = np.frombuffer(pkg.read("ad%04d" % year), dtype="<i4")
        el = np.frombuffer(pkg.read("el%04d" % year), dtype="<f8").reshape(-1, 7)
    except FileNotFoundError:
        return {}
    out = {}
    for k in np.nonzero(ad)[0]:
        first, count = divmod(int(ad[k]), 1000)
        if count > 0:
            out[k + 1] = el[first - 1:first - 1 + count]
    return out


def object_elements(pkg, tt):
    """For every present object, the elements the package serves at tt and
    their epoch: the set of the yearly files whose epoch lies nearest tt
    (the years around the date's), or the catalogue's own elements when the
    date lies outside the span the yearly files serve (from 70 days before
    1 January of the year after the first package year to 70 days after
    1 January of the last one) or no set is within half a year."""
    el = pkg.el.copy()
    epoch = np.full(pkg.objects, pkg.epoch)
    year = int(erfa.jd2cal(tt, 0.0)[0])
    j1 = sum(erfa.cal2jd(pkg.first_year + 1, 1, 1))
    j2 = sum(erfa.cal2jd(pkg.last_year, 1, 1))
    if j1 - 70.0 <= tt < j2 + 70.0:
        best = np.full(pkg.objects, 183.0)
        for y in (year - 1, year, year + 1):
            if not pkg.first_year <= y <= pkg.last_year:
                continue
            for number, sets in yearly_sets(pkg, y).items():
                dt = np.abs(sets[:, 0] - tt)
                i = int(np.argmin(dt))
                if dt[i] < best[number - 1]:
                    best[number - 1] = dt[i]
                    epoch[number - 1] = sets[i, 0]
                    el[number - 1] = sets[i, 1:]
    return el[pkg.present], epoch[pkg.present]


def reference_sky(pkg, code, utc1, utc2):
    """Apparent (light-time) RA, Dec, distance, magnitude of every object."""
    obs, tt = observer_heliocentric(pkg, code, utc1, utc2)
    el, epoch = object_elements(pkg, tt)
    p0 = kepler_positions(el, epoch, tt)
    tau = np.zeros(len(p0))
    for _ in range(4):
        p = kepler_positions(el, epoch, tt - tau)
        rho = np.linalg.norm(p - obs, axis=1)
        tau = rho * LIGHT_DAYS_PER_AU
    d = p - obs
    ra = np.mod(np.arctan2(d[:, 1], d[:, 0]), 2 * math.pi)
    dec = np.arcsin(d[:, 2] / rho)
    # Magnitude from the positions at the date (IAU H, G system).
    r = np.linalg.norm(p0, axis=1)
    delta = np.linalg.norm(p0 - obs, axis=1)
    cosph = np.sum(p0 * (p0 - obs), axis=1) / (r * delta)
    phase = np.arccos(np.clip(cosph, -1, 1))
    t = np.tan(phase / 2)
    phi1, phi2 = np.exp(-3.33 * t ** 0.63), np.exp(-1.87 * t ** 1.22)
    h, g = pkg.h[pkg.present], pkg.g[pkg.present]
    mag = h + 5 * np.log10(r * delta) - 2.5 * np.log10((1 - g) * phi1 + g * phi2)
    # Indexed by catalogue number - 1; absent objects NaN.
    out = []
    for v in (ra, dec, mag):
        full = np.full(pkg.objects, np.nan)
        full[pkg.present] = v
        out.append(full)
    return tuple(out)


# ---- Plate lines ----------------------------------------------------------------------

def sexa(x, nd):
    """Non-negative x to (whole, minutes, seconds rounded to nd decimals)."""
    s = round(x * 3600.0, nd)
    w = int(s // 3600)
    m = int((s - 3600 * w) // 60)
    return w, m, s - 3600 * w - 60 * m


def plate_line(desig, y, mo, d, frac, ra, dec, half_ra_min, half_dec_deg, code, decimal_minutes=False):
    """The 80-column plate line; returns it with the centre as written."""
    line = [" "] * 80

    def put(col, text):
        line[col - 1:col - 1 + len(text)] = list(text)

    put(1, desig.ljust(13)[:13])
    put(16, "%4d%3d%3d" % (y, mo, d))
    put(26, ("%.5f" % frac)[1:])
    sign = "-" if dec < 0 else "+"
    if decimal_minutes:
        hm = round(math.degrees(ra) / 15.0 * 60.0, 2)
        h, m = int(hm // 60), hm - 60 * int(hm // 60)
        dm = round(abs(math.degrees(dec)) * 60.0, 1)
        dd, dmm = int(dm // 60), dm - 60 * int(dm // 60)
        put(33, "%2d%6.2f" % (h, m))
        put(45, sign + "%2d%5.1f" % (dd, dmm))
        ra_w = math.radians((h + m / 60.0) * 15.0)
        dec_w = math.radians(dd + dmm / 60.0) * (-1 if sign == "-" else 1)
    else:
        h, m, s = sexa(math.degrees(ra) / 15.0, 2)
        dd, dm, ds = sexa(abs(math.degrees(dec)), 1)
        put(33, "%2d%3d%6.2f" % (h, m, s))
        put(45, sign + "%2d%3d%5.1f" % (dd, dm, ds))
        ra_w = math.radians((h + m / 60.0 + s / 3600.0) * 15.0)
        dec_w = math.radians(dd + dm / 60.0 + ds / 3600.0) * (-1 if sign == "-" else 1)
    put(59, "%5.1f" % half_ra_min)
    put(67, "%4.1f" % half_dec_deg)
    put(78, code)
    return "".join(line), ra_w, dec_w


# ---- The library ------------------------------------------------------------------------

class Library:
    def __init__(self, path):
        self.lib = ctypes.CDLL(path)
        self.lib.PltCalc.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.c_double, ctypes.POINTER(ctypes.c_int)]
        self.lib.errmsg.argtypes = [ctypes.c_char_p, ctypes.c_int]

    def pltcalc(self, line, limit):
        open("result.pl4", "wb").close()  # the caller empties the result first
        found = ctypes.c_int(-1)
        data = line.encode("latin-1")
        self.lib.PltCalc(data, len(data), limit, ctypes.byref(found))
        buf = ctypes.create_string_buffer(1000)
        n = self.lib.errmsg(buf, 1000)
        return found.value, buf.raw[:n].decode("latin-1").strip()


def parse_results(found):
    raw = open("result.pl4", "rb").read()
    motion = open("resul2.pl4", "rb").read() if os.path.exists("resul2.pl4") else b""
    out = []
    for k in range(len(raw) // 82):
        rec = raw[82 * k:82 * k + 82]
        assert rec[80:82] == b"\0\0", "record %d does not end in two zero bytes" % (k + 1)
        t = rec[:80].decode("latin-1")
        if k >= found:
            break
        num = int(t[4:10]) if t[4:10].strip() else 0
        h, m, s = int(t[32:34]), int(t[34:37]), float(t[37:43])
        sg = -1 if t[49] == "-" else 1
        d, dm, ds = int(t[50:52]), int(t[52:55]), float(t[55:60])
        ra = math.radians((h + m / 60 + s / 3600) * 15)
        dec = sg * math.radians(d + dm / 60 + ds / 3600)
        rates = struct.unpack_from("<2d", motion, 16 * k) if len(motion) >= 16 * (k + 1) else (None, None)
        out.append(dict(number=num, name=t[11:29], mark=t[30], ra=ra, dec=dec, mag=float(t[69:73]),
                        rates=rates, text=t))
    return out, len(raw) // 82


def arcdist(ra1, de1, ra2, de2):
    return math.acos(min(1.0, math.sin(de1) * math.sin(de2) + math.cos(de1) * math.cos(de2) * math.cos(ra1 - ra2)))


# ---- The checks ----------------------------------------------------------------------------

def check_plate(lib, pkg, label, line, ra0, dec0, half_ra, half_dec, utc, code, limit, report):
    ra, dec, mag = reference_sky(pkg, code, *utc)
    on, edge = set(), set()
    near = pkg.present & (np.sin(dec) * math.sin(dec0) + np.cos(dec) * math.cos(dec0) * np.cos(ra - ra0) > 1e-6)
    ks = np.nonzero(near)[0]
    xi, eta = erfa.tpxes(ra[ks], dec[ks], ra0, dec0)
    margin = np.minimum(half_ra - np.abs(xi), half_dec - np.abs(eta))
    mmargin = limit - mag[ks]
    for k, m, mm in zip(ks, margin, mmargin):
        if m >= EDGE_MARGIN and mm >= MAG_MARGIN:
            on.add(int(k) + 1)
        elif m > -EDGE_MARGIN and mm > -MAG_MARGIN:
            edge.add(int(k) + 1)
    found, err = lib.pltcalc(line, limit)
    problems = []
    if err:
        problems.append("PltCalc failed: " + err)
    listed, records = parse_results(found)
    if not on and not edge and found == 0:
        if not open("result.pl4", "rb").read(80).decode("latin-1")[10:20] == "No objects":
            problems.append('no "No objects" record')
    elif records != max(found, 1) or (found == 0 and on):
        problems.append("%d records for %d objects" % (records, found))
    got = set()
    for o in listed:
        # The object of the line: its number, or the unnumbered object of the
        # reference at that place.
        if o["number"]:
            n = o["number"]
        else:
            unnumbered = np.nonzero(pkg.present[pkg.numbered:])[0] + pkg.numbered
            sep = erfa.seps(ra[unnumbered], dec[unnumbered], o["ra"], o["dec"])
            k = int(np.argmin(sep)) if len(sep) else -1
            n = int(unnumbered[k]) + 1 if k >= 0 and sep[k] < 5 * ARCSEC else -1
        if n < 1:
            problems.append("listed object not in the reference: " + o["text"])
            continue
        got.add(n)
        dpos = arcdist(ra[n - 1], dec[n - 1], o["ra"], o["dec"])
        if dpos > POS_TOL:
            problems.append("object %d: position off by %.2f\"" % (n, dpos / ARCSEC))
        if abs(mag[n - 1] - o["mag"]) > MAG_TOL:
            problems.append("object %d: magnitude %.1f, reference %.3f" % (n, o["mag"], mag[n - 1]))
    ras = [o["ra"] for o in listed]
    if any(b < a for a, b in zip(ras, ras[1:])):
        problems.append("not in ascending right ascension")
    missing, extra = on - got, got - on - edge
    if missing:
        problems.append("missing %s" % sorted(missing))
    if extra:
        problems.append("not on the plate %s" % sorted(extra))
    if found != len(listed) or len(got) != found:
        problems.append("found %d, %d lines, %d objects" % (found, len(listed), len(got)))
    status = "ok" if not problems else "FAIL"
    print("%-10s %s found %3d, reference %3d (+%d at an edge): %s" % (label, line[15:31], found, len(on), len(edge),
                                                                     status))
    for p in problems:
        print("    " + p)
    if report:
        for o in listed:
            print("    " + o["text"].rstrip())
    return not problems


def sky_at(pkg, code, y, mo, d, frac):
    """The reference sky at the UTC date y, mo, d + frac: the date (two-part
    UTC), R.A., Dec. and magnitude of every object, and each one's distance
    in R.A. from the point opposite the Sun."""
    utc = erfa.dtf2d("UTC", y, mo, d, 0, 0, 0.0)
    utc = (utc[0], utc[1] + frac)
    ra, dec, mag = reference_sky(pkg, code, *utc)
    obs, _ = observer_heliocentric(pkg, code, *utc)
    anti = math.atan2(obs[1], obs[0])
    return utc, ra, dec, mag, np.abs(np.mod(ra - anti + math.pi, 2 * math.pi) - math.pi)


def opposition_plates(pkg, code, count, half_ra_min, half_dec_deg, limit):
    """Plates centred on the brightest object within 20 degrees of the point
    opposite the Sun, at dates spread over the package years."""
    plates = []
    years = list(range(pkg.first_year, pkg.last_year + 1))
    for i in range(count):
        y = years[i % len(years)]
        # February to November: the opposition files cover the package years
        # only, so the window of a plate must not reach beyond them.
        mo, d = 2 + (5 * i) % 10, 3 + (7 * i) % 24
        frac = (0.11 + 0.37 * i) % 1.0
        frac = round(frac, 5)
        utc, ra, dec, mag, dx = sky_at(pkg, code, y, mo, d, frac)
        ok = pkg.present & (dx < math.radians(20)) & (np.abs(dec) < math.radians(60)) & (mag < limit - 1)
        if not ok.any():
            continue
        k = int(np.argmin(np.where(ok, mag, 99)))
        plates.append(("P%d-%d" % (k + 1, i), y, mo, d, frac, ra[k], dec[k], half_ra_min, half_dec_deg, code,
                       i % 2 == 1, utc, limit))
    return plates


def random_plates(pkg, code, count, limit, seed=20250320):
    """6 x 6 degree plates at random dates of the span the yearly element
    files serve, each centred on a random object (not of the special list)
    within 60 degrees of the point opposite the Sun in right ascension: the
    objects of such plates are found by their opposition dates over the
    whole width of the window of opposition dates."""
    rng = np.random.default_rng(seed)
    special = set(np.frombuffer(pkg.read("uplist"), dtype="<i4").tolist())
    numbers = np.arange(1, pkg.objects + 1)
    j1 = sum(erfa.cal2jd(pkg.first_year + 1, 1, 1)) - 69.0
    j2 = sum(erfa.cal2jd(pkg.last_year, 1, 1)) + 69.0
    plates = []
    while len(plates) < count:
        jd = math.floor(j1 + rng.random() * (j2 - j1)) + 0.5
        y, mo, d, _ = erfa.jd2cal(jd, 0.0)
        frac = round(rng.random(), 5)
        utc, ra, dec, mag, dx = sky_at(pkg, code, y, mo, d, frac)
        ok = pkg.present & (dx < math.radians(60)) & (np.abs(dec) < math.radians(60)) & ~np.isin(numbers, list(special))
        if not ok.any():
            continue
        k = int(rng.choice(np.nonzero(ok)[0]))
        plates.append(("R%d-%d" % (k + 1, len(plates)), y, mo, d, frac, ra[k], dec[k], 12.0, 3.0, code, False, utc,
                       limit))
    return plates


def run(lib_path, work, report):
    pkg = Package(work)
    lib = Library(lib_path)
    code = "000" if "000" in pkg.obs else sorted(pkg.obs)[0]
    scratch = tempfile.mkdtemp(prefix="plate-search-")
    shutil.copy(os.path.join(work, "setpar"), scratch)
    os.chdir(scratch)
    small = pkg.objects < 2000
    plates = opposition_plates(pkg, code, 10, 40.0 if small else 12.0, 10.0 if small else 3.0, 25.0)
    if not small:
        plates += random_plates(pkg, code, 60, 25.0)
    good = bad = 0
    for (label, y, mo, d, frac, ra, dec, hra, hdec, cd, dm, utc, limit) in plates:
        line, ra0, dec0 = plate_line(label, y, mo, d, frac, ra, dec, hra, hdec, cd, dm)
        ok = check_plate(lib, pkg, label, line, ra0, dec0, math.radians(hra / 4.0), math.radians(hdec), utc, cd,
                         limit, report)
        good, bad = good + ok, bad + (not ok)
    # A magnitude limit that cuts the list of the first plate.
    if plates:
        label, y, mo, d, frac, ra, dec, hra, hdec, cd, dm, utc, _ = plates[0]
        line, ra0, dec0 = plate_line(label + "m", y, mo, d, frac, ra, dec, hra, hdec, cd, dm)
        ref_ra, ref_dec, mag = reference_sky(pkg, cd, *utc)
        k = int(np.argmin(np.where(pkg.present, np.hypot(ref_ra - ra, ref_dec - dec), 9)))
        ok = check_plate(lib, pkg, label + "m", line, ra0, dec0, math.radians(hra / 4.0), math.radians(hdec), utc,
                         cd, float(mag[k]) + 2 * MAG_MARGIN, report)
        good, bad = good + ok, bad + (not ok)
    # An empty plate: a small plate far from the ecliptic and from every object.
    ra, dec, _ = reference_sky(pkg, code, *erfa.dtf2d("UTC", pkg.first_year + 1, 6, 1, 0, 0, 0.0))
    for cra in np.radians(np.arange(0.0, 360.0, 15.0)):
        if np.min(erfa.seps(ra[pkg.present], dec[pkg.present], cra, math.radians(-75))) > 0.2:
            line, ra0, dec0 = plate_line("EMPTY", pkg.first_year + 1, 6, 1, 0.0, cra, math.radians(-75), 5.0, 1.0,
                                         code)
            ok = check_plate(lib, pkg, "empty", line, ra0, dec0, math.radians(5.0 / 4), math.radians(1.0),
                             erfa.dtf2d("UTC", pkg.first_year + 1, 6, 1, 0, 0, 0.0), code, 25.0, report)
            good, bad = good + ok, bad + (not ok)
            break
    # An observatory code that does not read: a message for the caller, no
    # object, the header and result of the last plate left as they were.
    if plates:
        label, y, mo, d, frac, ra, dec, hra, hdec, cd, dm, utc, limit = plates[0]
        line, _, _ = plate_line("BADCODE", y, mo, d, frac, ra, dec, hra, hdec, "#12")
        before = [open(f, "rb").read() for f in ("plt.hat",)]
        open("result.pl4", "wb").write(b"x" * 82)
        found = ctypes.c_int(-1)
        lib.lib.PltCalc(line.encode(), 80, 25.0, ctypes.byref(found))
        buf = ctypes.create_string_buffer(1000)
        n = lib.lib.errmsg(buf, 1000)
        msg = buf.raw[:n].decode("latin-1")
        ok = (found.value == 0 and "#12" in msg and [open(f, "rb").read() for f in ("plt.hat",)] == before
              and open("result.pl4", "rb").read() == b"x" * 82)
        print("bad code   found %d, message %r: %s" % (found.value, msg.strip(), "ok" if ok else "FAIL"))
        good, bad = good + ok, bad + (not ok)
    os.chdir("/")
    shutil.rmtree(scratch, ignore_errors=True)
    print("plates: %d agree, %d differ" % (good, bad))
    if good == 0:
        print("no plate was checked")
        return 1
    return 1 if bad else 0


def main():
    args = sys.argv[1:]
    report = "--report" in args
    args = [a for a in args if a != "--report"]
    if len(args) == 4 and args[1] == "--small":
        lib, src, build = args[0], args[2], args[3]
        tmp = tempfile.mkdtemp(prefix="plate-package-")
        try:
            r = subprocess.run(["bash", os.path.join(src, "tools/make_package.sh"), build, tmp, "--small"],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            if r.returncode != 0:
                print(r.stdout[-3000:])
                print("the small package could not be built")
                return 1
            return run(lib, os.path.join(tmp, "work"), report)
        finally:
            shutil.rmtree(tmp, ignore_errors=True)
    if len(args) != 2:
        print(__doc__)
        return 2
    if not os.path.exists(os.path.join(args[1], "setpar")):
        print("skipped: no package at", args[1])
        return 77
    return run(args[0], args[1], report)


if __name__ == "__main__":
    sys.exit(main())
