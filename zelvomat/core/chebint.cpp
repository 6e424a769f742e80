// Chebyshev interpolation of a block of the planetary ephemeris file, and the
// split of a Julian date.
//
// A block holds, for each of its sub-intervals l = 1 .. S in turn, the n
// coefficients of component 1, then those of component 2, and so on:
// coefficient j of component i in sub-interval l is word
// (l - 1) x components x n + (i - 1) n + (j - 1) of the block. Within a
// sub-interval the argument tc runs from -1 to 1; the value is
// sum C_j T_(j-1)(tc), its time derivative (2S / D) sum C_j T'_(j-1)(tc) and
// the second derivative (2S / D)^2 sum C_j T''_(j-1)(tc), D the record length
// in days. The derivative polynomials follow from T_k = 2 tc T_(k-1) - T_(k-2):
//   T'_k  = 2 tc T'_(k-1)  + 2 T_(k-1)  - T'_(k-2),
//   T''_k = 2 tc T''_(k-1) + 4 T'_(k-1) - T''_(k-2).
// (JPL's PLEPH/INTERP follow the same scheme.)
#include <cmath>

#include "core/reade403.h"

namespace zelvomat {

void chebint(std::span<const double> block, double t_frac, double span_days, int n, int components, int subintervals,
             int level, std::span<double> out) {
    // Sub-interval and its argument; t_frac = 1 selects the last sub-interval
    // at tc = 1.
    const double w = std::trunc(t_frac);
    const double st = static_cast<double>(subintervals) * t_frac;
    const int l = static_cast<int>(std::trunc(st - w)) + 1;
    const double tc = 2.0 * ((st - std::trunc(st)) + w) - 1.0;
    const double* c = block.data() + static_cast<std::size_t>((l - 1) * components * n);

    // Polynomials (entries 1 .. n at index 0 .. n-1), computed afresh; the
    // derivatives only as far as the level asks.
    double p[kDeMaxCoefficients];
    double v[kDeMaxCoefficients];
    double a[kDeMaxCoefficients];
    const double twot = 2.0 * tc;
    p[0] = 1.0;
    if (n > 1) p[1] = tc;
    if (n > 2) p[2] = twot * tc - 1.0;
    for (int k = 3; k < n; ++k) p[k] = twot * p[k - 1] - p[k - 2];
    if (level >= 2) {
        v[0] = 0.0;
        if (n > 1) v[1] = 1.0;
        if (n > 2) v[2] = 2.0 * twot;
        for (int k = 3; k < n; ++k) v[k] = twot * v[k - 1] + 2.0 * p[k - 1] - v[k - 2];
    }
    if (level >= 3) {
        a[0] = 0.0;
        if (n > 1) a[1] = 0.0;
        if (n > 2) a[2] = 4.0;
        if (n > 3) a[3] = 12.0 * twot;
        for (int k = 4; k < n; ++k) a[k] = twot * a[k - 1] + 4.0 * v[k - 1] - a[k - 2];
    }
    const double scale = 2.0 * static_cast<double>(subintervals) / span_days;
    const double scale2 = scale * scale;

    // Sums from the highest coefficient down; the terms whose polynomial is
    // identically zero (T'_0, T''_0, T''_1) are left out.
    for (int i = 0; i < components; ++i) {
        const double* ci = c + i * n;
        double sp = 0.0, sv = 0.0, sa = 0.0;
        int j = n - 1;
        if (level >= 3) {
            for (; j >= 2; --j) {
                sp += p[j] * ci[j];
                sv += v[j] * ci[j];
                sa += a[j] * ci[j];
            }
        }
        if (level >= 2) {
            for (; j >= 1; --j) {
                sp += p[j] * ci[j];
                sv += v[j] * ci[j];
            }
        } else {
            for (; j >= 1; --j) sp += p[j] * ci[j];
        }
        sp += p[0] * ci[0];
        out[static_cast<std::size_t>(i)] = sp;
        if (level >= 2) out[static_cast<std::size_t>(components + i)] = scale * sv;
        if (level >= 3) out[static_cast<std::size_t>(2 * components + i)] = scale2 * sa;
    }
}

std::pair<double, double> splitjd(double x) {
    double whole = std::trunc(x);
    double fraction = x - whole;
    if (x < 0.0 && fraction != 0.0) {
        whole -= 1.0;
        fraction += 1.0;
    }
    return {whole, fraction};
}

}  // namespace zelvomat
