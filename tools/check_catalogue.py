#!/usr/bin/python3
"""Checks a written element catalogue against the JPL extract it came from.

    check_catalogue.py asteroids.dat DATA_DIR SETPAR
    check_catalogue.py --comets comets.dat DATA_DIR SETPAR

Reads the five catalogue files with their own description of the layouts
(independently of the C++ code that wrote them) and compares, object by
object: the name, H and G, and the elements, propagated from the source's
epoch to the catalogue epoch by two-body motion (mean anomaly + n dt). Checks
that numbers the source lacks are absent (blank name, zero elements) and that
"indnm" is in name order. Prints the largest differences; exits 1 on a fault.
"""
import json
import math
import re
import struct
import sys

K = 0.01720209895
ALPHA = '123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz'


def unpack(p):
    """Packed provisional designation to readable (MPC rules)."""
    p = p.strip()
    if p[2] == 'S' and p[0] in 'PT':
        return f'{p[3:7]} {p[0]}-{p[1]}'
    year = ALPHA.index(p[0]) + 1
    year = year * 100 + int(p[1:3])
    cycle = (ALPHA.index(p[4]) + 1) * 10 + int(p[5]) if not p[4].isdigit() else int(p[4:6])
    y = f'A{year % 1000:03d}' if 1900 <= year <= 1924 else f'{year:04d}'
    return f'{y} {p[3]}{p[6]}' + (str(cycle) if cycle else '')


def check_comets(src, data_dir, setpar):
    """The comets edition: every object numbered, its name record the name as
    shown; elements from q, e and tp (a = q / (1 - e), M = n (epoch - tp));
    H the total magnitude M1, G 2.5 K1 or 10 with M1 alone; "ngr.eff" and
    "M2C.K2C" one record per object."""
    rec = open(setpar, 'rb').read()
    epoch, total, numbered = struct.unpack_from('<dii', rec, 400)
    slope_count = struct.unpack_from('<i', rec, 644)[0]
    comet_flag = struct.unpack_from('<i', rec, 1040)[0]
    names = open(data_dir + 'elinm', 'rb').read()
    hs = open(data_dir + 'elih', 'rb').read()
    els = open(data_dir + 'elitel', 'rb').read()
    g = open(data_dir + 'elig', 'rb').read()
    ngr = open(data_dir + 'ngr.eff', 'rb').read()
    m2c = open(data_dir + 'M2C.K2C', 'rb').read()
    faults = []
    if comet_flag != 1 or numbered != total:
        faults.append(f'settings: comet flag {comet_flag}, {numbered} of {total} objects numbered')
    if len(ngr) != 24 * total or len(m2c) != 16 * total or len(g) != 9 * slope_count:
        faults.append('ngr.eff, M2C.K2C or elig has the wrong length')
    slopes = dict((struct.unpack_from('<i', g, 9 * i)[0], g[9 * i + 4:9 * i + 9].decode()) for i in range(slope_count))
    by_name = {}
    for n in range(1, total + 1):
        t = names[18 * (n - 1):18 * n].decode('cp1252').rstrip()
        if t:
            by_name[t] = n
    d = json.load(open(src, encoding='utf-8'))
    col = {c: i for i, c in enumerate(d['fields'])}
    worst = [0.0] * 6
    found = 0
    for row in d['data']:
        full = row[col['full_name']].strip()
        if float(row[col['e']]) >= 1:
            continue
        m = re.match(r'^(\d+)([PDI])/(.*?)(?:-([A-Z]{1,2}))?$', full)
        cands = []
        if m and m.group(4):
            cands.append(f'{m.group(1)}{m.group(2)}-{m.group(4)}/{m.group(3)}'[:18])  # a fragment
        cands.append(full[:18])
        if not m:
            cands.append(re.sub(r'\s*\(.*\)$', '', full)[:18])
        n = next((by_name[c] for c in cands if c in by_name), None)
        if n is None:
            continue  # not in this catalogue (a small one)
        found += 1
        if m and not m.group(4) and n != int(m.group(1)):
            faults.append(f'{full}: catalogue number {n}')
        q, e, tp = float(row[col['q']]), float(row[col['e']]), float(row[col['tp']])
        a = q / (1 - e)
        nn = K / a ** 1.5
        exp = [nn * (epoch - tp), math.radians(float(row[col['w']])), math.radians(float(row[col['om']])),
               math.radians(float(row[col['i']])), e, nn]
        got = struct.unpack_from('<6d', els, 48 * (n - 1))
        for i in range(6):
            diff = got[i] - exp[i]
            if i < 3:
                diff = (diff + math.pi) % (2 * math.pi) - math.pi
            worst[i] = max(worst[i], abs(diff) / (abs(exp[i]) if i == 5 else 1.0))
        m1 = row[col['M1']]
        htext = hs[5 * (n - 1):5 * n].decode()
        if (m1 is None and htext.strip()) or (m1 is not None and abs(float(htext) - float(m1)) > 0.005 + 1e-9):
            faults.append(f'{full}: H {htext!r}, source {m1}')
        want_g = 10.0 if m1 is not None else 0.0
        if abs(float(slopes.get(n, 'nan')) - want_g) > 1e-9:
            faults.append(f'{full}: G {slopes.get(n)!r}, expected {want_g}')
        if any(struct.unpack_from('<3d', ngr, 24 * (n - 1))):
            faults.append(f'{full}: nonzero A1, A2, A3 (the source has none)')
        m2 = row[col['M2']]
        if struct.unpack_from('<2d', m2c, 16 * (n - 1)) != (float(m2) if m2 is not None else 0.0, 0.0):
            faults.append(f'{full}: M2C.K2C record differs from M2 {m2}')
    if found != len(by_name):
        faults.append(f'{len(by_name)} named objects, {found} of them found in the source')
    # Elements agree to rounding; the mean motion relatively. M grows with
    # |epoch - tp| (up to centuries for old comets): 1e-9 rad.
    print(f'check_catalogue: {total} comets, all numbered, epoch {epoch}; largest differences M %.1e, peri %.1e, '
          'node %.1e, incl %.1e rad, e %.1e, n %.1e (relative)' % tuple(worst))
    if max(worst[1:]) > 1e-12 or worst[0] > 1e-9:
        faults.append('elements differ from the source')
    for f in faults[:20]:
        print('check_catalogue:', f, file=sys.stderr)
    sys.exit(1 if faults else 0)


def main():
    if sys.argv[1] == '--comets':
        check_comets(*sys.argv[2:5])
    src, data_dir, setpar = sys.argv[1:4]
    rec6 = open(setpar, 'rb').read()[400:480]
    epoch, total, numbered = struct.unpack_from('<dii', rec6)
    slope_count = struct.unpack_from('<i', open(setpar, 'rb').read(), 644)[0]
    names = open(data_dir + 'elinm', 'rb').read()
    hs = open(data_dir + 'elih', 'rb').read()
    els = open(data_dir + 'elitel', 'rb').read()
    index = open(data_dir + 'indnm', 'rb').read()
    g = open(data_dir + 'elig', 'rb').read()
    faults = []
    assert len(names) == 18 * total and len(hs) == 5 * total and len(els) == 48 * total and len(index) == 4 * total
    assert len(g) == 9 * slope_count
    slopes = dict((struct.unpack_from('<i', g, 9 * i)[0], g[9 * i + 4:9 * i + 9].decode()) for i in range(slope_count))

    def name(n):
        return names[18 * (n - 1):18 * n].decode('cp1252')

    readable = {}
    for n in range(1, total + 1):
        t = name(n)
        readable[n] = (unpack(t[:10]).ljust(10) + t[10:]) if n > numbered and t.strip() else t
    by_key = {}
    for n in range(numbered + 1, total + 1):
        by_key[readable[n].strip()] = n

    d = json.load(open(src, encoding='utf-8'))
    col = {c: i for i, c in enumerate(d['fields'])}
    worst = [0.0] * 6
    seen = set()
    left_out = 0
    for row in d['data']:
        m = re.match(r'^\s*(?:(\d+)\s+)?([^()]*?)\s*(?:\(([^)]*)\))?\s*$', row[col['full_name']])
        num = int(m.group(1) or 0)
        if num:
            n = num
            want = m.group(2) or m.group(3)
            if n > numbered or not name(n).strip():
                left_out += 1
                continue  # not in this catalogue (a small one)
        else:
            want = m.group(3) or m.group(2)
            n = by_key.get(want)
            if n is None:
                left_out += 1
                continue  # left out by the builder (no packed form)
        seen.add(n)
        if readable[n].strip() != want:
            faults.append(f'{n}: name {readable[n]!r}, source {want!r}')
        h = float(hs[5 * (n - 1):5 * n].decode())
        if abs(h - float(row[col['H']])) > 0.005 + 1e-9:
            faults.append(f'{n}: H {h}, source {row[col["H"]]}')
        gsrc = row[col['G']]
        if num and gsrc is not None and abs(float(slopes.get(n, 'nan')) - float(gsrc)) > 0.005 + 1e-9:
            faults.append(f'{n}: G {slopes.get(n)}, source {gsrc}')
        a = float(row[col['a']])
        nn = K / a ** 1.5
        dt = epoch - (float(row[col['epoch_mjd']]) + 2400000.5)
        exp = [math.radians(float(row[col['ma']])) + nn * dt, math.radians(float(row[col['w']])),
               math.radians(float(row[col['om']])), math.radians(float(row[col['i']])), float(row[col['e']]), nn]
        got = struct.unpack_from('<6d', els, 48 * (n - 1))
        for i in range(6):
            diff = got[i] - exp[i]
            if i < 3:
                diff = (diff + math.pi) % (2 * math.pi) - math.pi
            worst[i] = max(worst[i], abs(diff))
    absent = 0
    for n in range(1, numbered + 1):
        if n not in seen:
            absent += 1
            if name(n).strip() or any(struct.unpack_from('<6d', els, 48 * (n - 1))):
                faults.append(f'{n}: absent from the source but not blank')
    keys = [readable[struct.unpack_from('<i', index, 4 * k)[0]].upper().encode('cp1252') for k in range(total)]
    if keys != sorted(keys):
        faults.append('indnm is not in name order')
    if sorted(struct.unpack_from(f'<{total}i', index)) != list(range(1, total + 1)):
        faults.append('indnm is not a permutation of the catalogue numbers')
    print(f'check_catalogue: {total} objects, {numbered} numbered ({absent} absent), {left_out} source objects '
          f'not in the catalogue, epoch {epoch}; largest '
          'differences M %.1e, peri %.1e, node %.1e, incl %.1e rad, e %.1e, n %.1e rad/day' % tuple(worst))
    if max(worst) > 1e-12:
        faults.append('elements differ from the source')
    for f in faults[:20]:
        print('check_catalogue:', f, file=sys.stderr)
    sys.exit(1 if faults else 0)


if __name__ == '__main__':
    main()
