#!/usr/bin/python3
"""Topocentric positions of the ephemeris task against an independent ephemeris.

    progr_accuracy.py LIBRARY PACKAGE_DIR [--limit ARCSEC]

Runs the library's ephemeris task (the export progr of LIBRARY, through
ctypes) in a scratch working directory with the settings of the package
(PACKAGE_DIR/work/setpar): catalogued minor planets, numerical integration
with every perturber, astrometric positions on the equator of J2000, the
"POS" layout (R.A. to 0.01 s, Decl. to 0.1"), seen from observatories of the
package's list. The task record "eph.cfg" is written here byte by byte from
its column layout.

The reference is that of tests/ephem_accuracy.py (the DE405 file read with
numpy, the objects integrated with scipy's DOP853 with the same forces), with
the observer added here: the site of the observatory line of "observa1.dat"
(longitude east, rho cos phi', rho sin phi' in Earth radii, a = 6378.137 km)
turned from the terrestrial frame to the GCRS with ERFA's IAU 2006/2000A
celestial-to-terrestrial matrix (eraC2t06a; UT1 taken as UTC, polar motion
zero: both move the site by metres) at the date; light time iterated with the
observer's barycentric position at the date.

Prints the largest differences and exits 1 when they miss the limit (1.2":
the 1" of the positions work and the rounding of the printed values); 77 when
something needed is missing (skipped).
"""
import ctypes
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
try:
    import numpy as np
    import erfa
    import ephem_accuracy as ref
except (ImportError, SystemExit) as e:  # pragma: no cover
    print("skipped:", e)
    sys.exit(77)

ARCSEC = 1.0 / 206264.80624709636
EARTH_RADIUS_AU = 6378.137 / 149597870.691
OBJECTS = [3, 7, 10, 14]
CODES = ["000", "005", "010"]
START, STEP, COUNT = 2459580.5, 20.0, 38   # 2022-01-01 .. 2024-01-26 (TT)


def field(rec, col, text):
    """Writes text at 1-based column col of the record (a bytearray)."""
    b = text.encode("ascii")
    rec[col - 1:col - 1 + len(b)] = b


def task_record(numbers, code):
    rec = bytearray(b" " * 1418)
    field(rec, 1, "NUMB")
    field(rec, 5, "%-6d" % numbers[0])
    field(rec, 11, "%-6d" % numbers[-1])
    field(rec, 135, "ISHD")
    field(rec, 139, "SPHASTEQT2000")     # coordinates, kind, plane, equinox
    field(rec, 152, " 3")                # centre: the Earth
    field(rec, 154, "TOP1" + code)       # observer at the observatory code
    field(rec, 264, "ARBT")
    field(rec, 284, "%-14.5f" % START)
    field(rec, 298, "%-14.5f" % (START + STEP * (COUNT - 1)))
    field(rec, 312, "%-9.4f" % STEP)
    field(rec, 321, "POS")
    field(rec, 324, "1" * 40)
    field(rec, 1164, "2")                # restriction mode: none
    field(rec, 1165, "2112111111111")    # integration; the Earth and the Moon apart
    field(rec, 1178, "1")                # the Sun's relativistic term
    return bytes(rec)


def observatory(data_dir, code):
    with open(os.path.join(data_dir, "observa1.dat"), "rb") as f:
        text = f.read()
    line = text[int(code) * 79:int(code) * 79 + 79].decode("latin-1")
    assert line[0:3] == code, line
    return float(line[3:13]), float(line[13:21]), float(line[21:30])


def parse_result(path):
    """(number, jd) -> (ra, dec) in radians from the "POS" equator lines."""
    raw = open(path, "rb").read()
    lines = [raw[i:i + 80].decode("latin-1") for i in range(0, len(raw), 82)]
    out = {}
    number = None
    for ln in lines:
        if ln[0:4] == "    " and ln[4:10].strip():
            number = int(ln[4:10])
        elif ln[0:4].strip().isdigit() and ln[18:21].strip():
            y, m, d = int(ln[0:4]), int(ln[4:7]), float(ln[7:16])
            djm0, djm = erfa.cal2jd(y, m, int(d))
            jd = djm0 + djm + (d - int(d))
            ra = (int(ln[18:21]) + int(ln[21:24]) / 60.0 + float(ln[24:30]) / 3600.0) * 15.0
            dec = int(ln[33:35]) + int(ln[35:38]) / 60.0 + float(ln[38:43]) / 3600.0
            if ln[32] == "-":
                dec = -dec
            out[(number, round(jd, 3))] = (np.radians(ra), np.radians(dec))
    return out


def run_task(lib, work, numbers, code):
    with open(os.path.join(work, "eph.cfg"), "wb") as f:
        f.write(task_record(numbers, code))
    for name in ("result.ep4", "eph.hat"):
        if os.path.exists(os.path.join(work, name)):
            os.remove(os.path.join(work, name))
    step = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_int)(lambda inc: 0)
    cont, interrupted, percent = ctypes.c_int(0), ctypes.c_int(2), ctypes.c_int(0)
    old = os.getcwd()
    os.chdir(work)
    try:
        lib.progr(ctypes.byref(cont), ctypes.byref(interrupted), ctypes.byref(percent), step)
        n = lib.errmsg(None, 0)
        if n > 0:
            buf = ctypes.create_string_buffer(n)
            lib.errmsg(buf, n)
            raise RuntimeError("progr: " + buf.raw.decode())
        if interrupted.value != 0 or percent.value != 100:
            raise RuntimeError("progr ended with interrupted %d, percent %d" % (interrupted.value, percent.value))
        return parse_result("result.ep4")
    finally:
        os.chdir(old)


def site_gcrs(lon_deg, rho_cos, rho_sin, jd):
    """Observer relative to the geocentre, GCRS, AU, at the TT date jd."""
    lam = np.radians(lon_deg)
    itrs = EARTH_RADIUS_AU * np.array([rho_cos * np.cos(lam), rho_cos * np.sin(lam), rho_sin])
    tt1, tt2 = 2400000.5, jd - 2400000.5
    u1, u2 = erfa.tttai(tt1, tt2)
    u1, u2 = erfa.taiutc(u1, u2)   # UT1 taken as UTC
    rc2t = erfa.c2t06a(tt1, tt2, u1, u2, 0.0, 0.0)
    return rc2t.T @ itrs


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    lib_path, pkg = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    limit = float(sys.argv[sys.argv.index("--limit") + 1]) if "--limit" in sys.argv else 1.2
    setpar = os.path.join(pkg, "work", "setpar")
    if not os.path.exists(setpar) or not os.path.exists(lib_path):
        print("skipped: no package at", pkg, "or no library", lib_path)
        return 77
    lib = ctypes.CDLL(lib_path)
    lib.errmsg.argtypes = [ctypes.c_char_p, ctypes.c_int]
    data_dir, epoch, minor = ref.settings(os.path.join(pkg, "work"))
    de = ref.De(os.path.join(data_dir, "coorbp"))
    elements = np.fromfile(os.path.join(data_dir, "elitel"), dtype="<f8").reshape(-1, 6)
    inv_c = de.const["AU"] / (de.const["CLIGHT"] * 86400.0)
    dates = [START + i * STEP for i in range(COUNT)]

    work = tempfile.mkdtemp(prefix="progr-accuracy-")
    try:
        shutil.copy(setpar, os.path.join(work, "setpar"))
        results = {code: run_task(lib, work, OBJECTS, code) for code in CODES}
    finally:
        shutil.rmtree(work, ignore_errors=True)

    worst = (0.0, None)
    parallax = 0.0
    for n in OBJECTS:
        states = [ref.kepler_state(elements[n - 1], epoch, epoch)] + [ref.kepler_state(m, epoch, epoch) for m in minor]
        back = ref.integrate(de, epoch, states, dates[0] - epoch - 1.0)
        fwd = ref.integrate(de, epoch, states, dates[-1] - epoch + 1.0)

        def obj(jd):
            t = jd - epoch
            return (fwd if t >= 0 else back).sol(t)[0:3]

        for code in CODES:
            lon, rc, rs = observatory(data_dir, code)
            for jd in dates:
                e_pos, _ = de.earth_bary(jd)
                site = site_gcrs(lon, rc, rs, jd)
                o_pos = e_pos + site
                tau = 0.0
                for _ in range(10):
                    p = obj(jd - tau) + de.sun_bary(jd - tau) - o_pos
                    tau = np.linalg.norm(p) * inv_c
                ra, dec = erfa.c2s(p)
                got = results[code].get((n, round(jd, 3)))
                if got is None:
                    print("no line for object %d at JD %.1f seen from %s" % (n, jd, code))
                    return 1
                sep = erfa.seps(got[0], got[1], ra, dec) / ARCSEC
                geo = p + site
                parallax = max(parallax, erfa.seps(ra, dec, *erfa.c2s(geo)) / ARCSEC)
                if sep > worst[0]:
                    worst = (sep, (n, code, jd))
    print("topocentric positions: largest difference %.3f\" (object %d, code %s, JD %.1f); "
          "largest parallax in the set %.2f\"" % (worst[0], *worst[1], parallax))
    return 1 if worst[0] >= limit else 0


if __name__ == "__main__":
    sys.exit(main())
