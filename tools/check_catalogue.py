#!/usr/bin/python3
"""Checks a written element catalogue against the JPL extract it came from.

    check_catalogue.py asteroids.dat DATA_DIR SETPAR

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


def main():
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
