#!/usr/bin/python3
"""Reference values of quantities derived from catalogue elements: writes the
test fixture element_references.txt.

    make_element_references.py > element_references.txt

Source: JPL's small-body database extract that Debian's kstars-data ships
(/usr/share/kstars/asteroids.dat, JSON: "fields" names the columns of the
rows of "data"; elements heliocentric, ecliptic and equinox J2000, angles in
degrees, epoch in MJD; "moid" the Earth MOID in AU as JPL published it;
"class" JPL's orbit class). Only numbered objects are taken.

Per object (a fixed sample: numbers 1-20, 433, 881, 1036 and every twentieth
numbered object):
  - JPL's elements a (AU), e, i, node, peri, M (degrees) at the epoch of the
    extract, JD 2459800.5 (the epoch of every numbered object of it);
  - moid: JPL's Earth MOID (AU), as published;
  - tj: the Tisserand parameter with respect to Jupiter, computed here from
    JPL's elements and Jupiter's mean J2000 orbit of E. M. Standish,
    "Keplerian Elements for Approximate Positions of the Major Planets"
    (JPL Solar System Dynamics), a = 5.20288700 AU, e = 0.04838624,
    i = 1.30439695 deg, node = 100.47390909 deg:
        T_J = a_J / a + 2 cos(i') sqrt(a (1 - e^2) / a_J),
    i' the angle between the two orbit planes;
  - tp: the time of the perihelion passage nearest to the epoch of JPL's
    elements (Julian date), from the mean anomaly and n = k / a^1.5;
  - period: 360 / n (days).
Besides: the numbers of JPL's Jupiter Trojans (class TJN) and of the Hildas
(3.7 < a < 4.2 AU, e < 0.3, i < 20 deg, the Minor Planet Center's bounds),
which move in the 1:1 and 3:2 commensurabilities of Jupiter's mean motion.

The Earth's osculating orbit at that epoch, from JPL DE405, is the line
"earth" of moid_objects.txt (make_moid_fixture.py): JPL's Earth MOIDs refer
to it.

Output lines: comments start with "#"; "earth a e i node peri";
"trojans N N ..."; "hildas N N ..."; "object number a e i node peri M moid tj
tp period class".
"""
import json
import math
import os
import re
import sys

K = 0.01720209895
JUPITER = {'a': 5.20288700, 'e': 0.04838624, 'i': 1.30439695, 'node': 100.47390909}
FULL_NAME = re.compile(r'^\s*(\d+)\s')


def pole(i_deg, node_deg):
    i, node = math.radians(i_deg), math.radians(node_deg)
    return (math.sin(i) * math.sin(node), -math.sin(i) * math.cos(node), math.cos(i))


def tisserand(a, e, i, node):
    p, q = pole(i, node), pole(JUPITER['i'], JUPITER['node'])
    cos_rel = sum(x * y for x, y in zip(p, q))
    return JUPITER['a'] / a + 2 * cos_rel * math.sqrt(a * (1 - e * e) / JUPITER['a'])


def main():
    with open('/usr/share/kstars/asteroids.dat', encoding='utf-8') as f:
        data = json.load(f)
    col = {name: k for k, name in enumerate(data['fields'])}
    rows = []
    for r in data['data']:
        m = FULL_NAME.match(r[col['full_name']])
        if m is None or r[col['moid']] is None:
            continue
        rows.append((int(m.group(1)), r))
    rows.sort(key=lambda x: x[0])
    trojans, hildas, objects = [], [], []
    for k, (number, r) in enumerate(rows):
        a, e, i = float(r[col['a']]), float(r[col['e']]), float(r[col['i']])
        if r[col['class']] == 'TJN':
            trojans.append(number)
        if 3.7 < a < 4.2 and e < 0.3 and i < 20:
            hildas.append(number)
        if number <= 20 or number in (433, 881, 1036) or k % 20 == 0:
            n = math.degrees(K / a ** 1.5)
            ma = float(r[col['ma']]) % 360
            epoch = float(r[col['epoch_mjd']]) + 2400000.5
            tp = epoch - ma / n if ma < 180 else epoch + (360 - ma) / n
            if float(r[col['epoch_mjd']]) != 59800:
                continue
            elements = (a, e, i, float(r[col['om']]), float(r[col['w']]), ma)
            objects.append((number, elements, float(r[col['moid']]), tisserand(a, e, i, float(r[col['om']])), tp,
                            360 / n, r[col['class']]))
    out = sys.stdout
    out.write('# Written by tests/data/make_element_references.py from /usr/share/kstars/asteroids.dat.\n')
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'moid_objects.txt')) as f:
        out.write(next(line for line in f if line.startswith('earth ')))
    out.write('trojans ' + ' '.join(map(str, trojans)) + '\n')
    out.write('hildas ' + ' '.join(map(str, hildas)) + '\n')
    out.write('# object number a e i node peri M moid(AU) T_Jupiter tp(JD) period(days) class\n')
    for o in objects:
        out.write('object %d %s %s %.7f %.5f %.5f %s\n' % (o[0], ' '.join(repr(v) for v in o[1]), repr(o[2]), o[3],
                                                           o[4], o[5], o[6]))


if __name__ == '__main__':
    main()
