// Kepler's equation E - e sin E = M for elliptic orbits.
//
// Method: M is reduced into [0, 2 pi) and, by the symmetry E(2 pi - M) =
// 2 pi - E(M), into m in [0, pi], where the root lies in [m, min(m + e, pi)]
// (sin E >= 0 there). The starter is one Halley step from E = m (with sin m
// and cos m from a short series); from it Danby's fourth-order iteration is
// run inside that bracket, every step that would leave the bracket being
// replaced by bisection. Since f(E) = E - e sin E - m is increasing, the
// bracket always holds the root and the iteration converges for every
// 0 <= e < 1 and m; typical minor-planet orbits need one evaluation of
// sin E and cos E.
//
// Stopping rule: the iteration ends when the error left after the last step
// is at most tol, estimated from the size a of that step as C a^4 with
// C = (e / f')^3 (the derivatives of f are bounded by e), or when a step
// itself is at most tol, or when the bracket is narrower than tol. The
// returned E is thus within about tol of the root (plus the rounding of
// E - e sin E divided by the slope f' = 1 - e cos E, which matters only near
// the perihelion of orbits with e close to 1). This is stricter than
// stopping on a small change of the fixed-point iteration E := M + e sin E,
// whose remaining error is the change times e cos E / (1 - e cos E): that
// iteration needs thousands of steps near e = 1 and still stops up to 1e-9
// rad from the root.
//
// References: J. M. A. Danby, Fundamentals of Celestial Mechanics (2nd ed.
// 1988), 6.6 (the fourth-order step); D. A. Vallado, Fundamentals of Astrodynamics and Applications
// (4th ed. 2013), algorithm 2.
#include <cmath>
#include <limits>

#include "core/twobody.h"
#include "core/utils.h"

namespace zelvomat {
namespace {

// sin E and cos E for E in [0, pi] to about 6e-8 (Taylor series about pi/2,
// to y^11 and y^12), used to approach the root cheaply before the exact
// iteration; every approximate value is bounded by the bracket.
inline void rough_sincos(double E, double& s, double& c) {
    const double y = E - 1.5707963267948966;
    const double y2 = y * y;
    const double sin_y =
        y *
        (1.0 + y2 * (-1.0 / 6 + y2 * (1.0 / 120 + y2 * (-1.0 / 5040 + y2 * (1.0 / 362880 + y2 * (-1.0 / 39916800))))));
    const double cos_y =
        1.0 +
        y2 * (-0.5 + y2 * (1.0 / 24 + y2 * (-1.0 / 720 + y2 * (1.0 / 40320 + y2 * (-1.0 / 3628800 + y2 / 479001600)))));
    s = cos_y;
    c = -sin_y;
}

}  // namespace

double kepler(double e, double M, double tol) {
    if (!(e >= 0.0 && e < 1.0) || !std::isfinite(M)) return std::numeric_limits<double>::quiet_NaN();
    const double mr = norm2pi(M);
    if (e == 0.0) return mr;
    const bool upper = mr > kPi;
    const double m = upper ? kTwoPi - mr : mr;
    double lo = m;
    double hi = m + e < kPi ? m + e : kPi;
    const auto clamp = [&lo, &hi](double x) { return (x >= lo && x <= hi) ? x : 0.5 * (lo + hi); };

    // Starter: one Halley step from E = m, with rough sines (error below
    // about 0.003 for e <= 0.3).
    double s = 0.0, c = 0.0;
    rough_sincos(m, s, c);
    double E = 0.0;
    {
        const double f = -e * s;
        const double fp = 1.0 - e * c;
        E = clamp(m - f * fp / (fp * fp - 0.5 * f * e * s));
    }

    // Exact iteration inside the bracket: Danby's fourth-order step (Halley's
    // step dh refined once with the third derivative).
    for (int iter = 0; iter < 60; ++iter) {
        s = std::sin(E);
        c = std::cos(E);
        const double f = E - e * s - m;
        const double fp = 1.0 - e * c;  // > 0 for e < 1
        if (f == 0.0) break;
        if (f < 0.0)
            lo = E;
        else
            hi = E;
        const double fpp = e * s, fppp = e * c;
        const double dh = -f * fp / (fp * fp - 0.5 * f * fpp);
        const double d = -f / (fp + dh * (0.5 * fpp + dh * fppp / 6.0));
        double next = E + d;
        const bool accepted = next >= lo && next <= hi;
        if (!accepted) next = 0.5 * (lo + hi);
        const double a = std::fabs(next - E);
        E = next;
        if (hi - lo <= tol) break;
        if (accepted) {
            // Error left after a step of size a: about C a^4 with C below
            // (e / f')^3 (the derivatives of f are bounded by e).
            const double r = e / fp;
            if (a <= tol || r * r * r * a * a * a * a <= tol) break;
        }
    }
    return upper ? kTwoPi - E : E;
}

}  // namespace zelvomat
