#!/usr/bin/python3
"""O-C residuals and identification of observation lines made from an
independent ephemeris.

    oc_accuracy.py OC_RUN PACKAGE_WORK_DIR [--limit ARCSEC]

Observation lines in the Minor Planet Center's 80-column format are written
here from the positions of catalogued minor planets that the independent
N-body integration of ephem_accuracy.py gives (DE405 read with numpy, scipy's
DOP853, ERFA's Python binding; nothing of the library), at UT instants whose
TT comes from the IERS Delta T series that python3-skyfield ships:
  - astrometric places, mean equator and equinox J2000 (data type 111), from
    the geocentre (500) and from Mauna Kea (568), Pan-STARRS 1 (F51) and
    Mt. Lemmon (G96) with the parallax constants of the package's observatory
    list (the Minor Planet Center's list; the site from ERFA's IAU 1982
    sidereal time and IAU 1976/1980 precession-nutation);
  - apparent places of the true equator and equinox of date (313) from the
    geocentre (ERFA's aberration, eraPnm80).
Every line must pass the line check cntl. OC_RUN (tools/oc_run) computes
"result.oc4" with each motion model; the residual of each record is compared
with the line's own angles minus the reference. Lines of the same objects and
stations near their oppositions in the package's years (the dates from its
opposition files) are identified (IdCalc, tolerance 5"): each line must find
its object, with residuals within 1". Prints the largest differences per model
and data type and exits 1 when the integration model misses the limit (0.1" by
default: 0.05" of the record's one decimal, the rest for the ephemeris), a
line fails the check or an identification misses; 77 when something needed is
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
STATIONS = ["500", "568", "F51", "G96"]


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


def number(code):
    return 1000 + 100 * (ord(code[0]) - ord("A")) + int(code[1:]) if code[0].isalpha() else int(code)


def scratch_package(work, tmp):
    """A working directory of the run (the package's settings and the task
    record); and the sites of the stations from the package's list."""
    b = open(os.path.join(work, "setpar"), "rb").read()
    data = b[240:320].decode().strip()
    wd = os.path.join(tmp, "work")
    os.makedirs(wd)
    open(os.path.join(wd, "setpar"), "wb").write(b)
    open(os.path.join(wd, "omc.cfg"), "wb").write(b"ZELV".ljust(1418))
    listed = open(os.path.join(data, "observa1.dat"), "rb").read()
    sites = {}
    for code in STATIONS:
        l = listed[79 * number(code):79 * number(code) + 79].decode("cp1252")
        if l[:3] != code:
            return wd, None
        sites[code] = (float(l[3:13]), float(l[13:21]), float(l[21:30]))
    return wd, sites


def oppositions(data_dir, numbers):
    """The package's opposition dates of the objects (opp<YYYY> files) that
    lie where the yearly element files serve the identification: from 50 days
    before 1 January of the second package year to 50 days after 1 January
    of the last."""
    out = {n: [] for n in numbers}
    years = sorted(int(name[3:]) for name in os.listdir(data_dir) if name.startswith("opp") and name[3:].isdigit())
    if not years:
        return out
    span = (sum(erfa.cal2jd(years[0] + 1, 1, 1)) - 50, sum(erfa.cal2jd(years[-1], 1, 1)) + 50)
    for name in sorted(os.listdir(data_dir)):
        if name.startswith("opp") and name[3:].isdigit():
            raw = open(os.path.join(data_dir, name), "rb").read()
            for k in range(len(raw) // 12):
                jd, n = struct.unpack_from("<di", raw, 12 * k)
                if n in out and span[0] < jd < span[1]:
                    out[n].append(jd)
    return out


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    tool, work = (os.path.abspath(a) for a in sys.argv[1:3])
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
        wd, sites = scratch_package(work, tmp)
        if sites is None:
            print("skipped: the package's observatory list lacks", STATIONS)
            return 77
        runs = {111: [], 313: []}  # (line, expected ra, dec)
        ident = []  # lines near oppositions: (line, number)
        opps = oppositions(data_dir, OBJECTS)

        def observe(obj, ut, code, apparent=False):
            """Astrometric (J2000) or apparent (of date) place of the object."""
            lon, rc, rs = sites[code]
            tt = ut + float(np.interp(ut, dt_jd, dt_val)) / 86400.0
            e_pos, e_vel = de.earth_bary(tt)
            gast = erfa.gmst82(2400000.5, ut - 2400000.5) + erfa.eqeq94(2400000.5, tt - 2400000.5)
            th = gast + lon * np.pi / 180
            tod = np.array([rc * np.cos(th), rc * np.sin(th), rs]) * EARTH_RADIUS_AU
            site = erfa.pnm80(2400000.5, tt - 2400000.5).T @ tod
            tau = 0.0
            for _ in range(10):
                p = obj(tt - tau) + de.sun_bary(tt - tau) - (e_pos + site)
                tau = np.linalg.norm(p) * inv_c
            if apparent:
                s_e = e_pos - de.sun_bary(tt)
                v = e_vel * inv_c
                u = erfa.ab(p / np.linalg.norm(p), v, np.linalg.norm(s_e), np.sqrt(1 - v @ v))
                p = erfa.pnm80(2400000.5, tt - 2400000.5) @ u
            ra, dec = erfa.c2s(p)
            return erfa.anp(ra), dec

        for n in OBJECTS:
            # Oppositions of the package's years; Delta T past the end of the
            # measured series is its last value (a second of Delta T moves an
            # object by a hundredth of an arc second).
            near = [t for t in opps[n] if t < de.end - 30]
            t_lo = min([lo] + [t - 20 for t in near])
            t_hi = max([hi] + [t + 20 for t in near])
            states = [ref.kepler_state(elements[n - 1], epoch, epoch)] + \
                     [ref.kepler_state(m, epoch, epoch) for m in minor]
            fwd = ref.integrate(de, epoch, states, t_hi - epoch + 1.0)
            bwd = ref.integrate(de, epoch, states, t_lo - epoch - 1.0)

            def obj(jd):
                t = jd - epoch
                return (fwd if t >= 0 else bwd).sol(t)[0:3]

            for ut in uts:
                for code in STATIONS:
                    ra, dec = observe(obj, ut, code)
                    runs[111].append((line(n, ut, ra, dec, code), ra, dec))
                ra_a, dec_a = observe(obj, ut, "500", apparent=True)
                runs[313].append((line(n, ut, ra_a, dec_a, "500"), ra_a, dec_a))
            # Near two of its oppositions, from every station, at night there.
            for t in near[:2]:
                for k, code in enumerate(STATIONS):
                    ut = round(t - 3.0 + 2.0 * k - sites[code][0] / 360.0 + 0.0625, 5)
                    ra, dec = observe(obj, ut, code)
                    ident.append((line(n, ut, ra, dec, code), n))

        names = {0: "elliptic", 1: "nodes", 2: "integration"}
        bad = False
        for code, rows in runs.items():
            with open(os.path.join(wd, "input.oc1"), "wb") as f:
                for r in rows:
                    f.write((r[0] + "\r\n").encode())
            # Every line passes the line check.
            out = subprocess.run([tool, "check", str(len(rows))], cwd=wd, capture_output=True, text=True)
            checks = out.stdout.split("\n")[:len(rows)]
            failing = [rows[k][0] for k, c in enumerate(checks) if c.split()[0] != "0"]
            if out.returncode != 0 or len(checks) != len(rows) or failing:
                print("line check failed:", out.stderr.strip(), failing[:3])
                bad = True
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
        # Identification near the oppositions.
        with open(os.path.join(wd, "input.id1"), "wb") as f:
            for text, _ in ident:
                f.write((text + "\r\n").encode())
        out = subprocess.run([tool, "identify", str(len(ident)), "5.0"], cwd=wd, capture_output=True, text=True)
        if out.returncode != 0:
            print("IdCalc failed:", out.stderr.strip())
            return 1
        recs = open(os.path.join(wd, "result.id4"), "rb").read()
        found, worst, k = {}, 0.0, -1
        for i in range(len(recs) // 82):
            rec = recs[82 * i:82 * i + 82].decode("cp1252")
            if rec[:13].strip():
                k += 1
            if rec[30:36].strip() and k < len(ident) and int(rec[30:36]) == ident[k][1]:
                found[k] = True
                worst = max(worst, abs(float(rec[55:62].replace(" ", ""))), abs(float(rec[63:70].replace(" ", ""))))
        missed = [ident[k][0] for k in range(len(ident)) if k not in found]
        print("identification: %d of %d lines of %s near opposition found their object; largest residual %.1f\""
              % (len(found), len(ident), " ".join(STATIONS), worst))
        if not ident or missed or worst > 1.0:
            print("identification missed:", missed[:3])
            bad = True
        return 1 if bad else 0
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
