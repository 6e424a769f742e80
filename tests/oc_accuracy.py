#!/usr/bin/python3
"""O-C residuals of observation lines made from an independent ephemeris.

    oc_accuracy.py OC_RUN OBSWRITE PACKAGE_WORK_DIR [--limit ARCSEC]

Observation lines in the Minor Planet Center's 80-column format are written
here from the positions of catalogued minor planets that the independent
N-body integration of ephem_accuracy.py gives (DE405 read with numpy, scipy's
DOP853, ERFA's Python binding; nothing of the library), at UT instants whose
TT comes from the IERS Delta T series that python3-skyfield ships:
  - astrometric places, mean equator and equinox J2000 (data type 111), from
    the geocentre (500) and from Greenwich (000, the parallax constants of
    the package's bundled observatory list; the site from ERFA's IAU 1982
    sidereal time and IAU 1976/1980 precession-nutation);
  - apparent places of the true equator and equinox of date (313) from the
    geocentre (ERFA's aberration, eraPnm80).
The package's observatory list holds only the codes 000-010; the run uses a
scratch data directory (links to the package's files) whose list adds 500.
OC_RUN (tools/oc_run) computes "result.oc4" with each motion model; the
residual of each record is compared with the line's own angles minus the
reference. Prints the largest differences per model and data type and exits
1 when the integration model misses the limit (0.1" by default: 0.05" of the
record's one decimal, the rest for the ephemeris); 77 when something needed is
missing (skipped).
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
try:
    import numpy as np
    import erfa
    import skyfield
    import ephem_accuracy as ref
except ImportError as e:  # pragma: no cover
    print("skipped:", e)
    sys.exit(77)

ARCSEC = 1.0 / 206264.80624709636
EARTH_RADIUS_AU = 6378.137 / 149597870.691
OBJECTS = [3, 7, 10, 433, 1036]


def iers_delta_t():
    data = os.path.join(os.path.dirname(skyfield.__file__), "data")
    iers = np.load(os.path.join(data, "iers.npz"))
    jd = iers["tt_jd_minus_arange"] + np.arange(len(iers["tt_jd_minus_arange"]))
    return jd, iers["delta_t_1e7"] / 1e7


def ra_text(ra):
    cs = int(round(ra / (2 * np.pi) * 86400 * 100)) % 8640000
    return "%02d %02d %05.2f" % (cs // 360000, cs // 6000 % 60, (cs % 6000) / 100.0)


def dec_text(dec):
    ds = int(round(abs(dec) / ARCSEC * 10))
    return "%s%02d %02d %04.1f" % ("-" if dec < 0 else "+", ds // 36000, ds // 600 % 60, (ds % 600) / 10.0)


def ra_of(t):
    return (int(t[0:2]) + int(t[3:5]) / 60 + float(t[6:]) / 3600) * 15 * np.pi / 180


def dec_of(t):
    v = (int(t[1:3]) + int(t[4:6]) / 60 + float(t[7:]) / 3600) * np.pi / 180
    return -v if t[0] == "-" else v


def line(number, ut_jd, ra, dec, code):
    y, m, d, f = erfa.jd2cal(ut_jd, 0.0)
    l = [" "] * 80
    put = lambda col, text: l.__setitem__(slice(col - 1, col - 1 + len(text)), list(text))
    put(1, "%05d" % number)
    put(15, "C")
    put(16, "%04d %02d %02d.%05d" % (y, m, d, int(round(f * 1e5))))
    put(33, ra_text(ra))
    put(45, dec_text(dec))
    put(78, code)
    return "".join(l)


def scratch_package(work, obswrite, tmp):
    """Working and data directories of the run: links to the package's data
    files, an observatory list of the bundled lines plus 500."""
    b = bytearray(open(os.path.join(work, "setpar"), "rb").read())
    data = b[240:320].decode().strip()
    el = os.path.join(tmp, "el") + "/"
    wd = os.path.join(tmp, "work")
    os.makedirs(el)
    os.makedirs(wd)
    for name in os.listdir(data):
        if name.lower() not in ("observa1.dat", "observat.dat"):
            os.symlink(os.path.join(data, name), el + name)
    bundled = open(os.path.join(data, "observa1.dat"), "rb").read()
    lines = [bundled[i:i + 79] for i in range(0, len(bundled), 79)]
    while len(lines) < 500:
        lines.append(("%03d" % len(lines)).encode().ljust(79))
    lines.append(b"500   0.00000 0.00000  0.00000Geocentric".ljust(79))
    open(el + "observa1.dat", "wb").write(b"".join(lines))
    subprocess.run([obswrite, el], check=True, capture_output=True)
    b[160:240] = (el + "coorbp").encode().ljust(80)
    b[240:320] = el.encode().ljust(80)
    open(os.path.join(wd, "setpar"), "wb").write(bytes(b))
    open(os.path.join(wd, "omc.cfg"), "wb").write(b"ZELV".ljust(1418))
    greenwich = lines[0].decode()
    site = (float(greenwich[3:13]), float(greenwich[13:21]), float(greenwich[21:30]))
    return wd, el, site


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    tool, obswrite, work = (os.path.abspath(a) for a in sys.argv[1:4])
    limit = float(sys.argv[sys.argv.index("--limit") + 1]) if "--limit" in sys.argv else 0.1
    if not os.path.exists(os.path.join(work, "setpar")) or not os.access(tool, os.X_OK):
        print("skipped: no package at", work, "or no tool", tool)
        return 77
    data_dir, epoch, minor = ref.settings(work)
    de = ref.De(os.path.join(data_dir, "coorbp"))
    elements = np.fromfile(os.path.join(data_dir, "elitel"), dtype="<f8").reshape(-1, 6)
    dt_jd, dt_val = iers_delta_t()
    inv_c = de.const["AU"] / (de.const["CLIGHT"] * 86400.0)

    # UT instants with five decimals, over the span where both the ephemeris
    # and the measured Delta T exist.
    lo = max(epoch - 1500.0, dt_jd[0] + 10)
    hi = min(epoch + 1500.0, dt_jd[-1] - 10, de.end - 10)
    rng = np.random.default_rng(20240611)
    uts = sorted(round(t, 5) for t in rng.uniform(lo, hi, 12))

    tmp = tempfile.mkdtemp(prefix="oc-accuracy-")
    try:
        wd, el, (lon, rc, rs) = scratch_package(work, obswrite, tmp)
        runs = {111: [], 313: []}  # (line, expected ra, dec)
        for n in OBJECTS:
            states = [ref.kepler_state(elements[n - 1], epoch, epoch)] + \
                     [ref.kepler_state(m, epoch, epoch) for m in minor]
            fwd = ref.integrate(de, epoch, states, hi - epoch + 1.0)
            bwd = ref.integrate(de, epoch, states, lo - epoch - 1.0)

            def obj(jd):
                t = jd - epoch
                return (fwd if t >= 0 else bwd).sol(t)[0:3]

            for ut in uts:
                tt = ut + float(np.interp(ut, dt_jd, dt_val)) / 86400.0
                e_pos, e_vel = de.earth_bary(tt)
                # The site of Greenwich at the date, J2000.
                gast = erfa.gmst82(2400000.5, ut - 2400000.5) + erfa.eqeq94(2400000.5, tt - 2400000.5)
                th = gast + lon * np.pi / 180
                tod = np.array([rc * np.cos(th), rc * np.sin(th), rs]) * EARTH_RADIUS_AU
                site = erfa.pnm80(2400000.5, tt - 2400000.5).T @ tod
                for code, obs in (("500", np.zeros(3)), ("000", site)):
                    tau = 0.0
                    for _ in range(10):
                        p = obj(tt - tau) + de.sun_bary(tt - tau) - (e_pos + obs)
                        tau = np.linalg.norm(p) * inv_c
                    ra, dec = erfa.c2s(p)
                    ra = erfa.anp(ra)
                    runs[111].append((line(n, ut, ra, dec, code), ra, dec))
                    if code == "500":
                        s_e = e_pos - de.sun_bary(tt)
                        v = e_vel * inv_c
                        u = erfa.ab(p / np.linalg.norm(p), v, np.linalg.norm(s_e), np.sqrt(1 - v @ v))
                        ra_a, dec_a = erfa.c2s(erfa.pnm80(2400000.5, tt - 2400000.5) @ u)
                        ra_a = erfa.anp(ra_a)
                        runs[313].append((line(n, ut, ra_a, dec_a, code), ra_a, dec_a))

        names = {0: "elliptic", 1: "nodes", 2: "integration"}
        bad = False
        for code, rows in runs.items():
            with open(os.path.join(wd, "input.oc1"), "wb") as f:
                for r in rows:
                    f.write((r[0] + "\r\n").encode())
            for model in (2, 0, 1):
                out = subprocess.run([tool, str(code), str(model), str(len(rows))], cwd=wd, capture_output=True,
                                     text=True)
                if out.returncode != 0:
                    print("O_C failed:", out.stderr.strip())
                    return 1
                recs = open(os.path.join(wd, "result.oc4"), "rb").read()
                worst = {}
                for k, (text, ra, dec) in enumerate(rows):
                    rec = recs[70 * k:70 * k + 70].decode()
                    r1 = float(rec[31:44].replace(" ", ""))
                    r2 = float(rec[44:57].replace(" ", ""))
                    ra_l, dec_l = ra_of(text[32:43]), dec_of(text[44:55])
                    want1 = (ra_l - ra + np.pi) % (2 * np.pi) - np.pi
                    want1 *= np.cos(dec_l) / ARCSEC
                    want2 = (dec_l - dec) / ARCSEC
                    diff = max(abs(r1 - want1), abs(r2 - want2))
                    key = text[77:80]
                    worst[key] = max(worst.get(key, (0.0, "")), (diff, text[:5] + " " + text[15:31]))
                for key, (diff, where) in sorted(worst.items()):
                    print("%-11s data type %d observatory %s: largest |residual - expected| %8.3f\"  (%s)"
                          % (names[model], code, key, diff, where))
                    if model == 2 and diff >= limit:
                        bad = True
        return 1 if bad else 0
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
