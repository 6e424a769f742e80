// Astrometric direction with the light time iterated, and the first-order
// apparent direction from the angular rates.
//
// The light time of a distance of D AU is D x 0.00577551831 days. lightt
// places the object where it was when the light left it, moving it back
// along its velocity (a straight line, good for the few minutes or hours of
// a light time), and repeats until the distance no longer changes. appfirst
// makes the same correction to first order on the angles themselves:
// alpha - (d alpha/dt) tau, delta - (d delta/dt) tau with tau = D/c; because
// its rates come from the relative velocity of object and observer this also
// carries the annual and diurnal aberration to first order.
#include <cmath>

#include "core/apparent.h"
#include "core/skyrates.h"
#include "core/utils.h"

namespace zelvomat {

void lightt(const StateVector& a, const StateVector& b, const StateVector& c, SkyDirection& out, LightTimeRates rates) {
    // tau: the distance whose light time shifts the object in this pass.
    double tau = 0.0;
    for (int pass = 0; pass < kLightTimePasses; ++pass) {
        double w[3];
        for (int j = 0; j < 3; ++j) w[j] = a[j] - a[j + 3] * tau * kLightDaysPerAu + c[j] + b[j];
        double d = 0.0;
        detail::sky_direction(w, out.ra, out.dec, d);
        // The distance reported is the geometric one, of the first pass.
        if (pass == 0) out.dist = d;
        // A NaN distance ends the loop here too (the test is false).
        if (!(std::fabs(tau - d) > 1e-8)) break;
        tau = d;
    }

    if (rates != LightTimeRates::Computed) return;
    double w[6];
    for (int j = 0; j < 6; ++j) w[j] = c[j] + b[j] + a[j];
    detail::sky_rates(w, out.dist, out.ra_rate, out.dec_rate, out.dist_rate);
}

void appfirst(const StateVector& a, const StateVector& b, const StateVector& c, SkyDirection& out) {
    double w[6];
    for (int j = 0; j < 6; ++j) w[j] = b[j] + c[j] + a[j];
    detail::sky_direction(w, out.ra, out.dec, out.dist);
    detail::sky_rates(w, out.dist, out.ra_rate, out.dec_rate, out.dist_rate);

    // Each angle moved back by its rate over the light time.
    const double tau = out.dist * kLightDaysPerAu;
    out.ra = norm2pi(out.ra - out.ra_rate * tau);
    out.dec = out.dec - out.dec_rate * tau;
}

}  // namespace zelvomat
