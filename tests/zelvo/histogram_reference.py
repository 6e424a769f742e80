#!/usr/bin/python3
"""Counts, mean and median of one histogram with numpy, as a reference for
the histogram of the element list.

Input files (one histogram each): the first line holds the limits as the
dialog's texts (min, max, step) and the element index; every further line
one value of the list in list order (%.17g). The bin edges are the decimal numbers min + k * step
taken exactly (Python's Decimal) and rounded once to doubles, the last edge
is max; numpy counts each value in the half-open bin it lies in, the last
bin closed. G values not above -999 (no G) count as 0.15.

Output: one line per file, "count mean median c0 c1 ...".
"""
import sys
from decimal import Decimal

import numpy as np


def histogram(path):
    with open(path) as f:
        head = f.readline().split()
        lo, hi, step, index = Decimal(head[0]), Decimal(head[1]), Decimal(head[2]), int(head[3])
        values = np.array([float(line) for line in f if line.strip()], dtype=np.float64)
    if index == 3:
        values = np.where(values <= -999, 0.15, values)
    values = values[np.isfinite(values)]
    inside = np.sort(values[(values >= float(lo)) & (values <= float(hi))])
    bins = int(((hi - lo) / step).to_integral_value(rounding="ROUND_CEILING"))
    edges = [float(lo + k * step) for k in range(bins)] + [float(hi)]
    counts, _ = np.histogram(values, bins=np.array(edges))
    print(len(inside), repr(float(np.mean(inside))), repr(float(np.median(inside))),
          " ".join(str(int(c)) for c in counts))


if __name__ == "__main__":
    for name in sys.argv[1:]:
        histogram(name)
