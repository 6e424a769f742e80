#!/usr/bin/python3
"""Extracts the comets of a JPL small-body database query (the JSON file that
KStars ships as comets.dat) into the tab-separated list that
mkcatalogue --comets reads.

    comets_extract.py comets.dat > comets.tsv

One line per comet with an elliptic orbit (e < 1):
    number  name  H  G  epoch_jd  a  e  i  node  peri  M  M2  K2  A1  A2  A3
number is the periodic comet's number for the main component of a numbered
comet (1 for 1P/Halley), 0 otherwise (fragments, unnumbered comets); name is
the name the catalogue shows, at most 18 characters:
  - a numbered comet: number, type letter, "/" and the name as the database
    gives it ("1P/Halley"), cut to 18 characters ("29P/Schwassmann-Wa":
    a name typed in full is looked up by its first 18 characters); a
    fragment carries its letters after the number, as the Minor Planet
    Center writes it ("73P-B/Schwassmann-", database "73P/Schwassmann-
    Wachmann 3-B");
  - any other comet: its designation ("C/1995 O1", "D/1993 F2-P1"), without
    the discoverers' name, which is neither unique nor short.
H is the total absolute magnitude M1 and G the factor of log10 r of the
total magnitude law m = H + 5 log10 Delta + G log10 r, G = 2.5 K1 (empty
when the source has no K1); M2 and K2 the nuclear absolute magnitude and its
slope; A1, A2, A3 the nongravitational parameters (1e-8 AU/day^2). Empty
fields where the source has no value: this extract gives no K1, K2 and no
nongravitational parameters at all.

Elements: a = q / (1 - e) (AU), M = n (epoch - tp) in degrees with
n = k / a^1.5 (Gaussian constant k); angles in degrees, ecliptic J2000, as
the database gives them; epoch and tp Julian dates (TDB). Comets with
e >= 1 (parabolic and hyperbolic orbits) cannot be carried by these
elements: they are counted on standard error and left out. Texts are
written as Windows-1252 bytes.
"""
import json
import math
import re
import sys

K = 0.01720209895
NUMBERED = re.compile(r'^(\d+)([PDI])/(.*)$')
FRAGMENT = re.compile(r'^(.*)-([A-Z]{1,2})$')
DESIGNATION = re.compile(r'^([CPDXAI]/\d{4} [A-Z]{1,2}\d*(?:-[A-Z]+\d*)?)(?:\s*\((.*)\))?$')


def text(v):
    return '' if v is None else str(v).strip()


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: comets_extract.py comets.dat')
    with open(sys.argv[1], encoding='utf-8') as f:
        data = json.load(f)
    col = {name: i for i, name in enumerate(data['fields'])}

    def get(row, key):
        i = col.get(key)
        return None if i is None else row[i]

    rows = data['data']
    names = [row[col['full_name']].strip() for row in rows]
    numbered_names = set()
    for n in names:
        m = NUMBERED.match(n)
        if m:
            numbered_names.add((m.group(1), m.group(3)))
    out = sys.stdout.buffer
    not_elliptic = 0
    skipped = 0
    for row, full in zip(rows, names):
        needed = [get(row, k) for k in ('epoch.mjd', 'q', 'e', 'i', 'om', 'w', 'tp')]
        if any(v is None for v in needed):
            skipped += 1
            continue
        epoch_mjd, q, e, incl, node, peri, tp = (float(v) for v in needed)
        if e >= 1.0:
            not_elliptic += 1
            continue
        m = NUMBERED.match(full)
        number = '0'
        if m:
            num, kind, rest = m.groups()
            frag = FRAGMENT.match(rest)
            if frag and (num, frag.group(1)) in numbered_names:
                name = f'{num}{kind}-{frag.group(2)}/{frag.group(1)}'
            else:
                name = f'{num}{kind}/{rest}'
                number = num
        else:
            d = DESIGNATION.match(full)
            if d is None:
                print(f'comets_extract: "{full}" has no designation; left out', file=sys.stderr)
                skipped += 1
                continue
            name = d.group(1)
        name = name[:18]
        a = q / (1.0 - e)
        n = K / a ** 1.5
        epoch_jd = epoch_mjd + 2400000.5
        mean_anomaly = math.degrees(n * (epoch_jd - tp)) % 360.0
        k1 = get(row, 'K1')
        g = repr(2.5 * float(k1)) if k1 is not None else ''
        fields = [number, name, text(get(row, 'M1')), g, repr(epoch_jd), repr(a), repr(e), repr(incl), repr(node),
                  repr(peri), repr(mean_anomaly), text(get(row, 'M2')), text(get(row, 'K2')),
                  text(get(row, 'A1')), text(get(row, 'A2')), text(get(row, 'A3'))]
        out.write(('\t'.join(fields) + '\n').encode('cp1252', errors='replace'))
    print(f'comets_extract: {not_elliptic} comets with e >= 1 left out (not elliptic)', file=sys.stderr)
    if skipped:
        print(f'comets_extract: {skipped} comets without elements or designation left out', file=sys.stderr)


if __name__ == '__main__':
    main()
