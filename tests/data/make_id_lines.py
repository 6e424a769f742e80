#!/usr/bin/python3
"""Observation lines of catalogued minor planets for the identification test.

    make_id_lines.py PACKAGE_WORK_DIR > id_lines_greenwich.txt

Writes 80-column observation lines (the Minor Planet Center's format, data
type 111: astrometric places, mean equator and equinox J2000) of the objects
3, 7 and 10 as seen from Greenwich (code 000) at 12 UT instants each within
the package's years (the identification checks the dates against them), from
the N-body integration of ephem_accuracy.py and the site and Delta T of
oc_accuracy.py (DE405 read with numpy, scipy, ERFA's Python binding; nothing
of the library). Past the measured Delta T its last value is kept (a tenth
of a second a year, far below what an identification resolves). The main
program's identification test runs them through the task.
"""
import os
import sys

import numpy as np
import erfa

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import ephem_accuracy as ref  # noqa: E402
import oc_accuracy as oc  # noqa: E402


def main():
    work = os.path.abspath(sys.argv[1])
    data_dir, epoch, minor = ref.settings(work)
    de = ref.De(os.path.join(data_dir, "coorbp"))
    elements = np.fromfile(os.path.join(data_dir, "elitel"), dtype="<f8").reshape(-1, 6)
    dt_jd, dt_val = oc.iers_delta_t()
    inv_c = de.const["AU"] / (de.const["CLIGHT"] * 86400.0)
    lon, rc, rs = 0.0, 0.62411, 0.77873  # Greenwich, as the bundled list gives it
    # Half a year around the elements' epoch.
    lo, hi = epoch - 90.0, epoch + 90.0
    rng = np.random.default_rng(20251210)
    uts = sorted(round(t, 5) for t in rng.uniform(lo, hi, 12))
    for n in (3, 7, 10):
        states = [ref.kepler_state(elements[n - 1], epoch, epoch)] + \
                 [ref.kepler_state(m, epoch, epoch) for m in minor]
        fwd = ref.integrate(de, epoch, states, hi - epoch + 1.0)
        bwd = ref.integrate(de, epoch, states, lo - epoch - 1.0)
        for ut in uts:
            tt = ut + float(np.interp(ut, dt_jd, dt_val)) / 86400.0
            e_pos, _ = de.earth_bary(tt)
            gast = erfa.gmst82(2400000.5, ut - 2400000.5) + erfa.eqeq94(2400000.5, tt - 2400000.5)
            th = gast + lon * np.pi / 180
            tod = np.array([rc * np.cos(th), rc * np.sin(th), rs]) * oc.EARTH_RADIUS_AU
            site = erfa.pnm80(2400000.5, tt - 2400000.5).T @ tod
            tau = 0.0
            for _ in range(10):
                t = tt - tau - epoch
                p = (fwd if t >= 0 else bwd).sol(t)[0:3] + de.sun_bary(tt - tau) - (e_pos + site)
                tau = np.linalg.norm(p) * inv_c
            ra, dec = erfa.c2s(p)
            print(oc.line(n, ut, erfa.anp(ra), dec, "000"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
