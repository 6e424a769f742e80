#!/usr/bin/python3
"""Extracts the minor planets of a JPL small-body database query (the JSON
files that KStars ships as asteroids.dat) into the tab-separated list that
mkcatalogue reads.

    catalogue_extract.py asteroids.dat > catalogue.tsv

One line per object:
    number  name  designation  H  G  epoch_jd  a  e  i  node  peri  M
number is 0 for an unnumbered object; name is the proper name (empty when
the object has none); designation the readable provisional designation
("1999 AB12", "A913 CF", "2040 P-L"); G is empty when unknown. Angles in
degrees (ecliptic J2000, as the database gives them), a in AU, the epoch a
Julian date (TDB). Texts are written as Windows-1252 bytes.
"""
import json
import re
import sys

FULL_NAME = re.compile(r'^\s*(?:(\d+)\s+)?([^()]*?)\s*(?:\(([^)]*)\))?\s*$')


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: catalogue_extract.py asteroids.dat')
    with open(sys.argv[1], encoding='utf-8') as f:
        data = json.load(f)
    col = {name: i for i, name in enumerate(data['fields'])}
    out = sys.stdout.buffer
    skipped = 0
    for row in data['data']:
        m = FULL_NAME.match(row[col['full_name']])
        needed = [row[col[k]] for k in ('H', 'epoch_mjd', 'a', 'e', 'i', 'om', 'w', 'ma')]
        if m is None or any(v is None for v in needed):
            skipped += 1
            continue
        number = m.group(1) or '0'
        name = m.group(2) or ''
        desig = m.group(3) or ''
        if number == '0' and not desig:
            # An unnumbered object is known by its designation alone.
            desig, name = name, ''
        g = row[col['G']] or ''
        epoch_jd = repr(float(row[col['epoch_mjd']]) + 2400000.5)
        fields = [number, name, desig, row[col['H']], g, epoch_jd] + [str(v) for v in needed[2:]]
        out.write(('\t'.join(fields) + '\n').encode('cp1252', errors='replace'))
    if skipped:
        print(f'catalogue_extract: {skipped} objects without elements or H skipped', file=sys.stderr)


if __name__ == '__main__':
    main()
