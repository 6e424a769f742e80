#!/usr/bin/env bash
# Writes the epoch text of the catalogue ("epoch" in the data directory, one
# line ending with CR LF), which the main program shows with the element
# list and from whose end it takes the catalogue epoch as a Julian date:
#   Ecliptic and equinox 2000.0, epoch 2025 November 21.0 TT (JD 2461000.5)
# The epoch is the catalogue_epoch of the settings values (the last step that
# gives one wins, as in the settings file).
set -euo pipefail
shopt -s nullglob
python3 - "$PKG_DATA/epoch" "$PKG_WORK"/setpar.d/*.txt <<'PY'
import sys

epoch = None
for path in sys.argv[2:]:
    with open(path) as f:
        for line in f:
            words = line.split()
            if len(words) == 2 and words[0] == 'catalogue_epoch':
                epoch = float(words[1])
if epoch is None:
    sys.exit('98-epochtext: no catalogue_epoch in the settings values')

# Julian date to the Gregorian calendar (Meeus, Astronomical Algorithms, 7).
z = int(epoch + 0.5)
f = epoch + 0.5 - z
alpha = int((z - 1867216.25) / 36524.25)
a = z + 1 + alpha - alpha // 4
b = a + 1524
c = int((b - 122.1) / 365.25)
d = int(365.25 * c)
e = int((b - d) / 30.6001)
day = b - d - int(30.6001 * e) + f
month = e - 1 if e < 14 else e - 13
year = c - 4716 if month > 2 else c - 4715
months = ['January', 'February', 'March', 'April', 'May', 'June', 'July', 'August', 'September', 'October',
          'November', 'December']
text = f'Ecliptic and equinox 2000.0, epoch {year} {months[month - 1]} {day:.1f} TT (JD {epoch:.1f})'
with open(sys.argv[1], 'wb') as out:
    out.write(text.encode('ascii') + b'\r\n')
PY
