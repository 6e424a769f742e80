// Unperturbed elliptic motion: state from elements, orientation vectors,
// mean motion and semi-major axis.
//
// Reference: J. M. A. Danby, Fundamentals of Celestial Mechanics (2nd ed.
// 1988), 6.3-6.4 (position and velocity from the eccentric anomaly).
#include "core/twobody.h"

#include <cmath>

namespace zelvomat {

double meanmot(double a, double mass) { return kGaussK * std::sqrt(1.0 + mass) / std::pow(a, 1.5); }

double semiaxis(double n, double mass) { return std::cbrt(std::pow(kGaussK * std::sqrt(1.0 + mass) / n, 2.0)); }

OrbitAxes pqrvec(double arg_perihelion, double node, double incl, double eps) {
    const double sw = std::sin(arg_perihelion), cw = std::cos(arg_perihelion);
    const double sn = std::sin(node), cn = std::cos(node);
    const double si = std::sin(incl), ci = std::cos(incl);
    const double se = std::sin(eps), ce = std::cos(eps);
    // In the ecliptic frame, then turned about x by eps.
    const auto turn = [ce, se](double x, double y, double z) { return Vec3{x, ce * y - se * z, se * y + ce * z}; };
    OrbitAxes ax;
    ax.p = turn(cw * cn - sw * sn * ci, cw * sn + sw * cn * ci, sw * si);
    ax.q = turn(-sw * cn - cw * sn * ci, -sw * sn + cw * cn * ci, cw * si);
    ax.r = turn(si * sn, -si * cn, ci);
    return ax;
}

Status twobody(double mass, std::int32_t jd0, double fr0, const OrbitElements& el, std::int32_t jd, double fr,
               double eps, StateVector& state, double tol) {
    const double e = el.ecc;
    if (!(e >= 0.0 && e < 1.0)) return error_status("orbit is not elliptic");
    if (!(el.mean_motion > 0.0)) return error_status("mean motion is not positive");
    const double a = semiaxis(el.mean_motion, mass);
    // Mean anomaly at the date: day numbers and fractions differenced apart.
    const double dt = static_cast<double>(static_cast<std::int64_t>(jd) - jd0) + (fr - fr0);
    const double M = el.mean_anomaly + el.mean_motion * dt;
    const double E = kepler(e, M, tol);
    if (!std::isfinite(E)) return error_status("mean anomaly is not a number");
    const double sE = std::sin(E), cE = std::cos(E);
    const double b = std::sqrt(1.0 - e * e);
    // Position and velocity in the orbit plane (x towards the perihelion).
    const double r = a * (1.0 - e * cE);
    const double xw = a * (cE - e);
    const double yw = a * b * sE;
    const double v = kGaussK * std::sqrt(1.0 + mass) * std::sqrt(a) / r;
    const double vxw = -v * sE;
    const double vyw = v * b * cE;
    const OrbitAxes ax = pqrvec(el.arg_perihelion, el.node, el.incl, eps);
    for (std::size_t j = 0; j < 3; ++j) {
        state[j] = ax.p[j] * xw + ax.q[j] * yw;
        state[j + 3] = ax.p[j] * vxw + ax.q[j] * vyw;
    }
    return ok_status();
}

}  // namespace zelvomat
