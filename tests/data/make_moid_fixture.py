#!/usr/bin/python3
"""Earth MOIDs of real minor planets: writes the test fixture moid_objects.txt.

    make_moid_fixture.py > moid_objects.txt

Objects: JPL's small-body database extract that Debian's kstars-data ships
(/usr/share/kstars/asteroids.dat, JSON: "fields" names the columns of the
rows of "data"; elements heliocentric, ecliptic and equinox J2000, angles in
degrees; "moid" the Earth MOID in AU as JPL published it). Only objects with
the common epoch MJD 59800 (JD 2459800.5) are taken, a fixed choice per
orbit class plus the extremes of eccentricity, inclination and MOID.

The Earth: JPL's Earth MOIDs refer to the heliocentric osculating orbit of
the Earth itself (not of the Earth-Moon barycentre) at the epoch of the
object's elements. Its elements are computed here from JPL DE405 (Debian's
casacore-data-jpl-de405, turned into JPL's binary layout by
tools/de405_to_binary.py and read by make_de405_reference.py): the Earth's
heliocentric state at JD 2459800.5, rotated from the equator to the ecliptic
of J2000 (obliquity 84381.448"), converted to elements with
GM = k^2 (1 + 1/332946.050894783), k = 0.01720209895.

Output: comment lines start with "#"; the line "earth a e i node peri" (AU,
degrees); then one line per object "a e i node peri M moid class name".
"""
import importlib.util
import json
import math
import os
import random
import subprocess
import sys
import tempfile

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
EPOCH_MJD = "59800"
EPOCH_JD = 2459800.5
K = 0.01720209895
EARTH_MASS = 1.0 / 332946.050894783
OBLIQUITY = math.radians(84381.448 / 3600.0)
PER_CLASS = {"MBA": 8, "TNO": 8, "TJN": 4, "CEN": 4, "OMB": 3, "MCA": 3, "AMO": 2, "IMB": 1}


def load_reader():
    module_info = importlib.util.spec_from_file_location("de405ref", os.path.join(HERE, "make_de405_reference.py"))
    mod = importlib.util.module_from_spec(module_info)
    module_info.loader.exec_module(mod)
    return mod


def earth_elements():
    ref = load_reader()
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "de405.bin")
        subprocess.run(["/usr/bin/python3", os.path.join(ROOT, "tools", "de405_to_binary.py"), path,
                        "--start", str(EPOCH_JD - 40), "--end", str(EPOCH_JD + 40)],
                       check=True, stdout=subprocess.DEVNULL)
        eph = ref.load(path)
        s = ref.state(eph, 3, 11, EPOCH_JD)  # the Earth relative to the Sun, ICRF
    ce, se = math.cos(OBLIQUITY), math.sin(OBLIQUITY)
    rot = np.array([[1.0, 0.0, 0.0], [0.0, ce, se], [0.0, -se, ce]])
    r = rot @ s[0:3]
    v = rot @ s[3:6]
    mu = K * K * (1.0 + EARTH_MASS)
    h = np.cross(r, v)
    rn = np.linalg.norm(r)
    a = 1.0 / (2.0 / rn - v @ v / mu)
    evec = np.cross(v, h) / mu - r / rn
    e = np.linalg.norm(evec)
    i = math.acos(h[2] / np.linalg.norm(h))
    node = math.atan2(h[0], -h[1]) % (2 * math.pi)
    nvec = np.array([math.cos(node), math.sin(node), 0.0])
    peri = math.atan2(np.dot(np.cross(nvec, evec), h) / np.linalg.norm(h), nvec @ evec) % (2 * math.pi)
    return a, e, math.degrees(i), math.degrees(node), math.degrees(peri)


def main():
    d = json.load(open("/usr/share/kstars/asteroids.dat"))
    ix = {f: i for i, f in enumerate(d["fields"])}
    rows = [r for r in d["data"] if r[ix["epoch_mjd"]] == EPOCH_MJD and r[ix["moid"]]]
    rng = random.Random(59800)
    chosen = []
    for cls, count in PER_CLASS.items():
        members = [r for r in rows if r[ix["class"]] == cls]
        chosen += rng.sample(members, min(count, len(members)))
    for key, pick in (("e", max), ("i", max), ("moid", min), ("moid", max)):
        extreme = pick(rows, key=lambda r: float(r[ix[key]]))
        if extreme not in chosen:
            chosen.append(extreme)
    print("# Earth MOIDs of minor planets, JPL small-body database (KStars' asteroids.dat),")
    print("# epoch JD 2459800.5; Earth: osculating heliocentric elements from JPL DE405.")
    print("# earth a(AU) e i node peri (degrees, ecliptic J2000)")
    print("earth %.15f %.15f %.12f %.12f %.12f" % earth_elements())
    print("# a(AU) e i node peri M (degrees) moid(AU) class name")
    for r in chosen:
        vals = [r[ix[k]] for k in ("a", "e", "i", "om", "w", "ma", "moid", "class")]
        print(" ".join(vals), r[ix["full_name"]].strip())


if __name__ == "__main__":
    sys.exit(main())
