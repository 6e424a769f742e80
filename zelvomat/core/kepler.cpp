// Kepler's equation E - e sin E = M for elliptic orbits.
//
// Method: M is reduced into [0, 2 pi) and, by the symmetry E(2 pi - M) =
// 2 pi - E(M), into m in [0, pi], where the root lies in [m, min(m + e, pi)]
// (sin E >= 0 there). From the starter E0 = m + e sin m / (1 - e cos m) (one
// Newton step from E = m) Halley's third-order iteration is run inside that
// bracket, every step that would leave the bracket being replaced by
// bisection; since f(E) = E - e sin E - m is increasing, the bracket always
// holds the root and the iteration converges for every 0 <= e < 1 and m.
//
// Stopping rule: the iteration ends when the change that the next step would
// make is at most tol, estimated from the size d of the last step as
// K |d|^3 with K = (e / 6 + e^2 / (4 f')) / f' (the error constant of
// Halley's method with |f''|, |f'''| <= e), or when a step itself is at most
// tol. The returned E is thus within about tol of the root. This is stricter
// than stopping on a small change of the fixed-point iteration
// E := M + e sin E, whose remaining error is the change times
// e cos E / (1 - e cos E) and grows without bound as e approaches 1, and which
// can stall before converging.
//
// References: J. M. A. Danby, Fundamentals of Celestial Mechanics (2nd ed.
// 1988), 6.6; D. A. Vallado, Fundamentals of Astrodynamics and Applications
// (4th ed. 2013), algorithm 2.
#include <cmath>
#include <limits>

#include "core/twobody.h"
#include "core/utils.h"

namespace zelvomat {

double kepler(double e, double M, double tol) {
    if (!(e >= 0.0 && e < 1.0) || !std::isfinite(M)) return std::numeric_limits<double>::quiet_NaN();
    const double mr = norm2pi(M);
    if (e == 0.0) return mr;
    const bool upper = mr > kPi;
    const double m = upper ? kTwoPi - mr : mr;

    double lo = m, hi = std::fmin(m + e, kPi);
    double E = m;
    {
        const double sm = std::sin(m), cm = std::cos(m);
        E = m + e * sm / (1.0 - e * cm);
        if (!(E >= lo && E <= hi)) E = 0.5 * (lo + hi);
    }
    for (int iter = 0; iter < 60; ++iter) {
        const double s = std::sin(E), c = std::cos(E);
        const double f = E - e * s - m;
        const double fp = 1.0 - e * c;  // > 0 for e < 1
        if (f == 0.0) break;
        if (f < 0.0) lo = E;
        else hi = E;
        // Halley: Newton's step corrected for the curvature e sin E.
        const double dn = -f / fp;
        const double d = -f / (fp + 0.5 * dn * e * s);
        double next = E + d;
        const bool halley = next >= lo && next <= hi;
        if (!halley) next = 0.5 * (lo + hi);
        const double a = std::fabs(next - E);
        E = next;
        if (hi - lo <= tol) break;
        if (halley) {
            const double K = (e / 6.0 + e * e / (4.0 * fp)) / fp;
            if (a <= tol || K * a * a * a <= tol) break;
        }
    }
    return upper ? kTwoPi - E : E;
}

}  // namespace zelvomat
