#!/usr/bin/python3
"""Checks the observatory lists that the package step 30-observatories.sh
writes against the reading of the same list by python3-astroquery's own
parser of the Minor Planet Center's ObsCodes.html (astroquery.mpc).

    check_observatories.py SOURCE_DIR BUILD_DIR

Cases: the list the package bundles (the Minor Planet Center's whole list,
tools/package/data/ObsCodes.html: 2,662 codes, 500 and the codes without
coordinates among them); a list given through ZELVO_OBSCODES (published lines
with letter codes, blank fields, a southern site, HTML references and UTF-8
names); lists the step must refuse.
"""
import math
import os
import struct
import subprocess
import sys
import tempfile
import types

import numpy

from astroquery.mpc import MPC

SRC, BUILD = sys.argv[1], sys.argv[2]
STEP = os.path.join(SRC, "tools", "package", "30-observatories.sh")
REC = 78
LINE = 79
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print("FAIL:", what)


def number(code):
    c = code.upper()
    if c[0].isalpha():
        return 1000 + 100 * (ord(c[0]) - ord("A")) + int(c[1:])
    return int(c)


def run_step(data_dir, obscodes=None):
    env = dict(os.environ, PKG_DATA=data_dir, PKG_WORK=os.path.dirname(data_dir.rstrip("/")),
               PKG_BUILD=BUILD, PKG_SMALL="1", PKG_SRC=SRC)
    env.pop("ZELVO_OBSCODES", None)
    if obscodes:
        env["ZELVO_OBSCODES"] = obscodes
    return subprocess.run(["bash", STEP], env=env, capture_output=True, text=True)


def astroquery_table(path):
    MPC.query_type = "observatory_code"
    with open(path, "rb") as f:
        return MPC._parse_result(types.SimpleNamespace(content=f.read()))


def compare(data_dir, source, label):
    """Every observatory of the source list, as astroquery reads it, stands in
    record number + 1 of observat.dat and line number + 1 of observa1.dat."""
    tab = astroquery_table(source)
    with open(os.path.join(data_dir, "observat.dat"), "rb") as f:
        recs = f.read()
    with open(os.path.join(data_dir, "observa1.dat"), "rb") as f:
        lines = f.read()
    last = max(number(str(r["Code"])) for r in tab)
    check(len(recs) == (last + 1) * REC, f"{label}: observat.dat holds {len(recs)} bytes, want {(last + 1) * REC}")
    check(len(lines) == (last + 1) * LINE, f"{label}: observa1.dat holds {len(lines)} bytes")
    listed = set()
    for row in tab:
        code = str(row["Code"])
        n = number(code)
        listed.add(n)
        rec = recs[n * REC:(n + 1) * REC]
        num, lon, rc, rs = struct.unpack_from("<hddd", rec, 0)
        name = rec[26:76].decode("cp1252")
        check(num == n, f"{label} {code}: number {num}")
        # Both sides read the same decimal text to the nearest double: equal.
        for got, want, what in ((lon, row["Longitude"], "longitude"), (rc, row["cos"], "rho cos phi'"),
                                (rs, row["sin"], "rho sin phi'")):
            # A blank field: astroquery masks it, the library reads 0.
            want = 0.0 if numpy.ma.is_masked(want) or math.isnan(float(want)) else float(want)
            check(got == want, f"{label} {code}: {what} {got!r}, astroquery {want!r}")
        want_name = str(row["Name"]).encode("cp1252", errors="replace").decode("cp1252")[:49]
        check(name == want_name.ljust(50), f"{label} {code}: name {name.rstrip()!r}, astroquery {want_name!r}")
        check(rec[76:78] == b"  ", f"{label} {code}: last two bytes {rec[76:78]!r}")
        check(lines[n * LINE:n * LINE + 3].decode().upper() == code.upper(), f"{label} {code}: line code")
    for n in range(last + 1):
        if n in listed:
            continue
        rec = recs[n * REC:(n + 1) * REC]
        num, lon, rc, rs = struct.unpack_from("<hddd", rec, 0)
        check(num == n and lon == rc == rs == 0.0 and rec[26:78] == b" " * 52, f"{label}: free number {n}")
    return len(tab), last + 1


FULLER = """<html><head><meta charset="UTF-8"></head><body><pre>Code  Long.   cos      sin    Name
000   0.0000 0.62411 +0.77873 Greenwich
250                           Hubble Space Telescope
309 289.595690.909943-0.414336Cerro Paranal
500   0.000000.000000+0.000000Geocentric
644 243.140220.836325+0.546877Palomar Mountain/NEAT
703 249.267360.845315+0.533213Catalina Sky Survey
E12 149.0642 0.85563 -0.51621 Siding Spring Survey
J59 356.202560.726956+0.684386Observatorio Linceo, Santander
Z98  11.111110.700000+0.700000C\u00f4te &amp; \u0160tern\u0159 Station, a name that runs past forty-nine characters
</pre></body></html>
"""

with tempfile.TemporaryDirectory() as tmp:
    # The bundled list.
    data = os.path.join(tmp, "el") + "/"
    os.makedirs(data)
    r = run_step(data)
    check(r.returncode == 0, "bundled list: step failed: " + r.stderr)
    if r.returncode == 0:
        src = os.path.join(SRC, "tools", "package", "data", "ObsCodes.html")
        listed, records = compare(data, src, "bundled")
        print("bundled list: %d observatories in %d records" % (listed, records))
        check(listed == 2662 and records == 3600, "bundled list: not the whole list of 2662 codes up to Z99")
        with open(os.path.join(data, "observat.dat"), "rb") as f:
            recs = f.read()
        for code, n, lon in (("500", 500, 0.0), ("568", 568, 204.5278), ("F51", 1551, 203.74409),
                             ("G96", 1696, 249.21128)):
            num, got = struct.unpack_from("<hd", recs, n * REC)
            check(num == n and got == lon, f"bundled {code}: record {num} longitude {got}")
        # The codes without coordinates are kept, and the step's log names them.
        log = open(os.path.join(tmp, "observatories.log")).read()
        check("24 codes without coordinates" in log and "C57 TESS" in log,
              "bundled list: the log does not list the codes without coordinates")

    # A fuller list given by the user.
    full = os.path.join(tmp, "ObsCodes.html")
    with open(full, "w", encoding="utf-8") as f:
        f.write(FULLER)
    data2 = os.path.join(tmp, "el2") + "/"
    os.makedirs(data2)
    r = run_step(data2, full)
    check(r.returncode == 0, "fuller list: step failed: " + r.stderr)
    if r.returncode == 0:
        print("fuller list: %d observatories in %d records" % compare(data2, full, "fuller"))
        with open(os.path.join(data2, "observat.dat"), "rb") as f:
            recs = f.read()
        name = recs[3598 * REC + 26:3598 * REC + 76]
        check(name[:21] == b"C\xf4te & \x8atern? Station", f"fuller: Windows-1252 name {name!r}")

    # Lists the step refuses, leaving the lists it wrote before untouched.
    with open(os.path.join(data2, "observat.dat"), "rb") as f:
        before = f.read()
    for bad, why in (("#12   0.0000 0.62411 +0.77873 Greenwich\n", "unreadable code"),
                     ("000   0.0000 0.62411 +0.77873 Greenwich\n000   0.1542 0.62992 +0.77411 Crowborough\n",
                      "code listed twice"),
                     ("001   0.15x2 0.62992 +0.77411 Crowborough\n", "unreadable longitude"),
                     ("", "empty list")):
        path = os.path.join(tmp, "bad.txt")
        with open(path, "w") as f:
            f.write("Code  Long.   cos      sin    Name\n" + bad)
        r = run_step(data2, path)
        check(r.returncode != 0 and "mkobserva1" in r.stderr, f"{why}: step did not refuse ({r.stderr!r})")
        with open(os.path.join(data2, "observat.dat"), "rb") as f:
            check(f.read() == before, f"{why}: observat.dat changed")

if failures:
    sys.exit(1)
print("observatory lists agree with astroquery's reading")
