#!/usr/bin/python3
"""The package built from the Minor Planet Center's orbit format.

    check_mpcorb.py SOURCE_DIR BUILD_DIR SMALL_PACKAGE

  - The catalogue of tests/data/mpcorb-kstars.dat (KStars' objects in the
    format of MPCORB.DAT, written by a converter that is not the project's)
    against the catalogue of asteroids.dat, object for object: the same
    numbers, names, name order and H, the same G values, and elements whose
    positions agree within what the rounding of the MPCORB columns allows
    (worked out here for each object from its own line, read here by its
    columns).
  - A small package built with make_package.sh --small --mpcorb against the
    small package of asteroids.dat (SMALL_PACKAGE, the tests' fixture): the
    same files throughout, the integrated catalogue, the yearly element sets
    and the oppositions within the same rounding.
  - Lines that do not read are reported with their line numbers and left out;
    the header and blank lines are skipped; gzip and plain files give the same
    catalogue; a number past 619999 in the extended packed form is carried.
    Damaged lines (elements out of range, a day the month does not have, a
    zero byte, a number given twice, a number that would make the catalogue
    gigabytes of empty records) are left out the same way and the counts
    hold what was built; a file without one of the perturbers (1), (2), (4)
    is refused naming it.
  - A build that fails leaves the package that stood in its place untouched.
Exits 1 on a fault.
"""
import gzip
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

SRC, BUILD, SMALL = sys.argv[1:4]
MPCORB = os.path.join(SRC, "tests", "data", "mpcorb-kstars.dat")
K = 0.01720209895
faults = []


def check(cond, what):
    if not cond:
        faults.append(what)
        print("FAIL:", what)


def read(path):
    with open(path, "rb") as f:
        return f.read()


# ---- Independent reading of the MPCORB columns ---------------------------------

def packed_date(t):
    year = (ord(t[0]) - ord("I") + 18) * 100 + int(t[1:3])
    code = lambda c: int(c) if c.isdigit() else ord(c) - ord("A") + 10
    m, d = code(t[3]), code(t[4])
    a = (14 - m) // 12
    y, mm = year + 4800 - a, m + 12 * a - 3
    return d + (153 * mm + 2) // 5 + 365 * y + y // 4 - y // 100 + y // 400 - 32045 - 0.5


def mpcorb_objects(path):
    """number or packed designation -> (epoch, M, peri, node, incl (deg), e, a)."""
    out = {}
    for line in open(path, encoding="ascii"):
        if len(line) < 194 or line.startswith("-") or not line[20:25].strip():
            continue
        try:
            el = [float(line[a:b]) for a, b in ((26, 35), (37, 46), (48, 57), (59, 68), (70, 79), (92, 103))]
        except ValueError:
            continue
        rd = line[166:194].strip()
        key = int(rd[1:rd.index(")")]) if rd.startswith("(") else line[0:7].strip()
        out[key] = (packed_date(line[20:25]),) + tuple(el)
    return out


def position(M, w, O, i, e, n):
    a = (K / n) ** (2 / 3)
    E = M
    for _ in range(60):
        E -= (E - e * math.sin(E) - M) / (1 - e * math.cos(E))
    x, y = a * (math.cos(E) - e), a * math.sqrt(1 - e * e) * math.sin(E)
    cw, sw, cO, sO, ci, si = math.cos(w), math.sin(w), math.cos(O), math.sin(O), math.cos(i), math.sin(i)
    return ((cw * cO - sw * sO * ci) * x + (-sw * cO - cw * sO * ci) * y,
            (cw * sO + sw * cO * ci) * x + (-sw * sO + cw * cO * ci) * y,
            sw * si * x + cw * si * y)


def rounding_bound(src, when):
    """The largest position change (AU) at the Julian date `when` that the
    rounding of the MPCORB columns allows: half a unit of the last decimal of
    each element (angles 1e-5 degrees, e 1e-7, a 1e-7 AU), moved by two-body
    motion from the line's own epoch, the contributions added."""
    epoch, M, w, O, i, e, a = src
    r = math.radians

    def at(dM=0.0, dw=0.0, dO=0.0, di=0.0, de=0.0, da=0.0):
        n = K / (a + da) ** 1.5
        return position(r(M + dM) + n * (when - epoch), r(w + dw), r(O + dO), r(i + di), e + de, n)

    p0 = at()
    steps = ({"dM": 5e-6}, {"dw": 5e-6}, {"dO": 5e-6}, {"di": 5e-6}, {"de": 5e-8}, {"da": 5e-8})
    return sum(math.dist(at(**s), p0) for s in steps)


def elements(data, n):
    return struct.unpack_from("<6d", data, 48 * (n - 1))


def slopes(data_dir, count):
    g = read(data_dir + "elig")
    return {struct.unpack_from("<i", g, 9 * k)[0]: float(g[9 * k + 4:9 * k + 9]) for k in range(count)}


def values(path):
    out = {}
    for line in open(path):
        f = line.split()
        if f:
            out[f[0]] = f[1:]
    return out


def compare_catalogues(a_dir, b_dir, a_vals, b_vals, sources, when, label):
    """Catalogue b (from MPCORB) against catalogue a (from asteroids.dat)."""
    for key in ("objects", "numbered", "catalogue_epoch"):
        check(a_vals[key] == b_vals[key], f"{label}: {key} {a_vals[key]} and {b_vals[key]}")
    for f in ("elinm", "indnm", "elih"):
        check(read(a_dir + f) == read(b_dir + f), f"{label}: {f} differs")
    names = read(a_dir + "elinm")
    numbered = int(a_vals["numbered"][0])
    # G: the same value for every object (0.15 where none is stored).
    ga = slopes(a_dir, int(a_vals["slope_count"][0]))
    gb = slopes(b_dir, int(b_vals["slope_count"][0]))
    for n in set(ga) | set(gb):
        check(abs(ga.get(n, 0.15) - gb.get(n, 0.15)) < 1e-9, f"{label}: G of {n}")
    ea, eb = read(a_dir + "elitel"), read(b_dir + "elitel")
    worst, compared = (0.0, 0), 0
    for n in range(1, len(ea) // 48 + 1):
        x, y = elements(ea, n), elements(eb, n)
        if x[5] == 0.0:
            check(y[5] == 0.0, f"{label}: object {n} absent from one catalogue only")
            continue
        name = names[18 * (n - 1):18 * n].decode("cp1252").strip()
        src = sources.get(n if n <= numbered else name)
        if src is None:
            check(False, f"{label}: object {n} {name} has no line in the MPCORB file")
            continue
        d = math.dist(position(*x), position(*y))
        bound = rounding_bound(src, when)
        worst = max(worst, (d / bound, n))
        compared += 1
        check(d <= bound, f"{label}: object {n} {name} differs by {d:.2e} AU, rounding allows {bound:.2e}")
    print(f"{label}: {compared} objects; largest difference {worst[0]:.2f} of what rounding allows (object {worst[1]})")
    return compared


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


mk = os.path.join(BUILD, "tools", "mkcatalogue")
tmp = tempfile.mkdtemp(prefix="check-mpcorb-")
try:
    # ---- Whole catalogues at the source epoch ----------------------------------
    sources = mpcorb_objects(MPCORB)
    tsv = os.path.join(tmp, "asteroids.tsv")
    with open(tsv, "wb") as f:
        subprocess.run(["/usr/bin/python3", os.path.join(SRC, "tools", "catalogue_extract.py"),
                        "/usr/share/kstars/asteroids.dat"], stdout=f, check=True)
    a_dir, b_dir = os.path.join(tmp, "a") + "/", os.path.join(tmp, "b") + "/"
    os.makedirs(a_dir)
    os.makedirs(b_dir)
    subprocess.run([mk, tsv, a_dir, tmp + "/a.txt"], check=True, capture_output=True)
    r = run([mk, "--mpcorb", MPCORB, b_dir, tmp + "/b.txt"])
    check(r.returncode == 0 and "0 left out" in r.stderr, "mpcorb-kstars.dat: " + r.stderr[-300:])
    a_vals, b_vals = values(tmp + "/a.txt"), values(tmp + "/b.txt")
    n = compare_catalogues(a_dir, b_dir, a_vals, b_vals, sources, float(a_vals["catalogue_epoch"][0]), "catalogue")
    check(n == 7096, f"catalogue: {n} objects compared, 7096 expected")

    # ---- Small packages through every step ----------------------------------------
    small_b = os.path.join(tmp, "small")
    r = run([os.path.join(SRC, "tools", "make_package.sh"), BUILD, small_b, "--small", "--mpcorb", MPCORB])
    check(r.returncode == 0, "small package from MPCORB: " + r.stderr[-500:])
    if r.returncode == 0:
        pa, pb = os.path.join(SMALL, "el") + "/", os.path.join(small_b, "el") + "/"
        va = {}
        for f in sorted(os.listdir(os.path.join(SMALL, "work", "setpar.d"))):
            va.update(values(os.path.join(SMALL, "work", "setpar.d", f)))
        vb = {}
        for f in sorted(os.listdir(os.path.join(small_b, "work", "setpar.d"))):
            vb.update(values(os.path.join(small_b, "work", "setpar.d", f)))
        epoch = float(va["catalogue_epoch"][0])
        check(va["catalogue_epoch"] == vb["catalogue_epoch"] and va["element_values"] == vb["element_values"] and
              va["opp_counts"] == vb["opp_counts"], "small packages: settings values differ")
        compare_catalogues(pa, pb, va, vb, sources, epoch, "small package")
        same = [f for f in os.listdir(pa) if not f.startswith(("elitel", "el20", "opp20", "elig"))]
        for f in same:
            check(read(pa + f) == read(pb + f), f"small package: {f} differs")
        names = read(pa + "elinm")
        numbered = int(va["numbered"][0])
        worst = 0.0
        for y in range(int(va["first_year"][0]), int(va["last_year"][0]) + 1):
            ad, ea, eb = read(pa + f"ad{y}"), read(pa + f"el{y}"), read(pb + f"el{y}")
            for n in range(1, len(ad) // 4 + 1):
                word = struct.unpack_from("<i", ad, 4 * (n - 1))[0]
                name = names[18 * (n - 1):18 * n].decode("cp1252").strip()
                src = sources.get(n if n <= numbered else name)
                for s in range(word // 1000, word // 1000 + word % 1000):
                    x = struct.unpack_from("<7d", ea, 56 * (s - 1))
                    z = struct.unpack_from("<7d", eb, 56 * (s - 1))
                    d = math.dist(position(*x[1:]), position(*z[1:]))
                    bound = 2 * rounding_bound(src, x[0])  # a few years of perturbed motion
                    worst = max(worst, d / bound)
                    check(x[0] == z[0] and d <= bound, f"el{y}: object {n} set {s} differs by {d:.2e} AU")
            oa, ob = read(pa + f"opp{y}"), read(pb + f"opp{y}")
            da = {struct.unpack_from("<i", oa, 12 * k + 8)[0]: struct.unpack_from("<d", oa, 12 * k)[0]
                  for k in range(len(oa) // 12)}
            db = {struct.unpack_from("<i", ob, 12 * k + 8)[0]: struct.unpack_from("<d", ob, 12 * k)[0]
                  for k in range(len(ob) // 12)}
            check(da.keys() == db.keys() and all(abs(da[k] - db[k]) < 0.01 for k in da),
                  f"opp{y}: the oppositions differ")
        print(f"small package: yearly sets within {worst:.2f} of what rounding allows")

    # ---- Header, blank lines, lines that do not read, gzip, extended numbers --------
    lines = open(MPCORB).read().split("\n")
    header = lines[:6]
    ceres, eros = next(l for l in lines if l.startswith("00001")), next(l for l in lines if l.startswith("00433"))
    pallas, vesta = next(l for l in lines if l.startswith("00002")), next(l for l in lines if l.startswith("00004"))
    unnumbered = next(l for l in lines if l.startswith("K22H05K"))
    put = lambda l, col, text: l[:col - 1] + text + l[col - 1 + len(text):]
    far = put(put(eros, 1, "~0000"), 167, "(620000) Zelvo".ljust(28))
    bad = [
        (put(eros, 27, " 12x.4567"), "not a number"),
        (eros[:90], "ends before the elements"),
        (put(eros, 167, "(434) Eros".ljust(28)), "does not begin with (433)"),
        (put(eros, 21, "K22Z9"), "not a packed date"),
        (put(unnumbered, 1, "K22H0!K"), "packed"),
        (put(eros, 93, "  3.0000000"), "does not belong to the semi-major axis"),
        (put(eros, 9, "     "), "no absolute magnitude H"),
        (put(put(ceres, 71, "1.2000000"), 93, " -1.0000000"), "not an elliptic orbit"),
        (put(eros, 60, "500.00000"), "the inclination 500 is outside 0-180 degrees"),
        (put(eros, 60, " -0.50000"), "the inclination -0.5 is outside 0-180 degrees"),
        (put(eros, 49, "361.00000"), "the node 361 is outside 0-360 degrees"),
        (put(eros, 71, "-0.222733"), "the eccentricity -0.222733 is negative"),
        (put(eros, 21, "K222U"), "not a packed date"),  # February 30
        (put(eros, 174, "\0"), "a zero byte in column 174"),
        (eros, "number 433 given twice (first on line 9)"),
        (put(put(eros, 1, "~zzzz"), 167, "(15396335) Zelvo".ljust(28)), "lies more than 1000000 past the objects"),
    ]
    body = header + [ceres, "", eros] + [b for b, _ in bad] + ["", unnumbered, far, pallas, vesta, ""]
    plain = os.path.join(tmp, "MPCORB.DAT")
    with open(plain, "w", newline="\r\n") as f:
        f.write("\n".join(body))
    with gzip.open(plain + ".gz", "wt", newline="\r\n") as f:
        f.write("\n".join(body))
    step = os.path.join(SRC, "tools", "package", "20-catalogue.sh")
    outs = []
    for label, path in (("plain", plain), ("gzip", plain + ".gz")):
        d = os.path.join(tmp, label)
        os.makedirs(os.path.join(d, "el"))
        os.makedirs(os.path.join(d, "work", "setpar.d"))
        env = dict(os.environ, PKG_DATA=d + "/el/", PKG_WORK=d + "/work", PKG_BUILD=BUILD, PKG_SMALL="0",
                   PKG_COMETS="0", PKG_SRC=SRC, PKG_MPCORB=path)
        r = run(["bash", step], env=env)
        check(r.returncode == 0, f"{label}: step failed: {r.stderr}")
        log = open(os.path.join(d, "work", "catalogue.log")).read()
        first_bad = len(header) + 4  # the line number of the first bad line
        for k, (_, why) in enumerate(bad):
            check(f"line {first_bad + k} left out: " in log and why in log.split(f"line {first_bad + k} left out: ")[1]
                  .split("\n")[0], f"{label}: line {first_bad + k} ({why}) not reported: {log}")
        check(log.count("left out: ") == len(bad), f"{label}: {log.count('left out: ')} lines left out")
        v = values(os.path.join(d, "work", "setpar.d", "20-catalogue.txt"))
        check(v["objects"] == ["620001"] and v["numbered"] == ["620000"], f"{label}: counts {v}")
        check(f"6 present" in log and f"{len(bad)} left out" in log.strip().split("\n")[-1],
              f"{label}: summary {log.strip().splitlines()[-1]}")
        check(all(f"left out: " in l for l in r.stdout.splitlines() if "line " in l) and
              r.stdout.count(" left out: ") == len(bad), f"{label}: the console does not name the lines: {r.stdout}")
        names = read(d + "/el/elinm")
        check(names[18 * 619999:18 * 620000].rstrip() == b"Zelvo" and names[18 * 432:18 * 433].rstrip() == b"Eros" and
              names[18 * 620000:18 * 620001].rstrip() == b"K22H05K", f"{label}: names of 620000, 433, 620001")
        outs.append([read(d + "/el/" + f) for f in ("elinm", "elih", "elitel", "indnm", "elig")])
    check(len(outs) == 2 and outs[0] == outs[1], "gzip and plain files give different catalogues")
    # A file without a header: its first line is data, and a bad first line is line 1.
    nohead = os.path.join(tmp, "nohead.dat")
    with open(nohead, "w") as f:
        f.write("\n".join([bad[0][0], ceres, "Not a line of orbits at all", eros, pallas, vesta]) + "\n")
    r = run([mk, "--mpcorb", nohead, os.path.join(tmp, "plain", "el") + "/", tmp + "/n.txt"])
    check(r.returncode == 0 and "line 1 left out" in r.stderr and "line 3 left out" in r.stderr and
          "2 left out" in r.stderr, "file without a header: " + r.stderr)
    # Without (4) Vesta the perturbers of the settings are incomplete: the
    # catalogue is refused, naming it, and nothing is written.
    novesta = os.path.join(tmp, "novesta.dat")
    with open(novesta, "w") as f:
        f.write("\n".join(header + [ceres, pallas, eros]) + "\n")
    os.makedirs(os.path.join(tmp, "nv"))
    r = run([mk, "--mpcorb", novesta, os.path.join(tmp, "nv") + "/", tmp + "/nv.txt"])
    check(r.returncode != 0 and "(4) Vesta, a perturber of the package, is not among the objects" in r.stderr and
          os.listdir(os.path.join(tmp, "nv")) == [], "file without Vesta: " + r.stderr)

    # ---- A failed build leaves the package in place ---------------------------------
    keep = os.path.join(tmp, "kept")
    os.makedirs(os.path.join(keep, "work"))
    os.makedirs(os.path.join(keep, "el"))
    with open(os.path.join(keep, "work", "setpar"), "wb") as f:
        f.write(b"old settings")
    with open(os.path.join(keep, "el", "elinm"), "wb") as f:
        f.write(b"old names")
    empty = os.path.join(tmp, "empty.dat")
    with open(empty, "w") as f:
        f.write("\n".join(header + [bad[0][0]]) + "\n")
    r = run([os.path.join(SRC, "tools", "make_package.sh"), BUILD, keep, "--small", "--mpcorb", empty])
    check(r.returncode != 0 and "no objects" in r.stderr, "a catalogue without objects did not fail the build")
    check(sorted(os.listdir(keep)) == ["el", "work"] and read(os.path.join(keep, "work", "setpar")) == b"old settings"
          and os.listdir(os.path.join(keep, "el")) == ["elinm"], "the failed build touched the package in place")
finally:
    shutil.rmtree(tmp, ignore_errors=True)

if faults:
    sys.exit(1)
print("the package from the MPCORB format agrees with the package from asteroids.dat")
