// Osculating elliptic elements from a state vector.
//
// Method: a from the energy (vis-viva), e sin E and e cos E from r . v and
// r, the perihelion and quadrature vectors P, Q from position and velocity,
// and the angles from the ecliptic components of P and Q (Danby,
// Fundamentals of Celestial Mechanics, 2nd ed. 1988, 6.9).
#include <cmath>

#include "core/twobody.h"
#include "core/utils.h"

namespace zelvomat {

Status stateel(double mass, const StateVector& state, OrbitElements& el, double eps) {
    const double mu = kGaussK * std::sqrt(1.0 + mass);
    const double mu2 = mu * mu;
    const double x = state[0], y = state[1], z = state[2];
    const double vx = state[3], vy = state[4], vz = state[5];
    const double r = std::sqrt(x * x + y * y + z * z);
    const double v2 = vx * vx + vy * vy + vz * vz;
    if (!(r > 0.0)) return error_status("state vector has zero distance");
    const double energy = 2.0 * mu2 - v2 * r;
    if (!(energy > 0.0)) return error_status("orbit is not elliptic");
    const double a = r * mu2 / energy;
    const double n = meanmot(a, mass);
    const double sa = std::sqrt(a);

    // Eccentric anomaly and eccentricity.
    const double es = (x * vx + y * vy + z * vz) / (sa * mu);
    const double ec = 1.0 - r / a;
    double E = 0.0, t = 0.0, e = 0.0;
    polar(ec, es, E, t, e);
    const bool circular = e < 1e-15;
    if (circular) {
        // No perihelion: measure from the position itself for now (E = 0);
        // the angle is moved from the perihelion to the mean anomaly below.
        e = 0.0;
        E = 0.0;
    }
    if (!(e < 1.0)) return error_status("orbit is not elliptic");
    const double M = E - e * std::sin(E);

    // Perihelion (P) and quadrature (Q) unit vectors in the frame of eps.
    const double cE = std::cos(E), sE = std::sin(E);
    const double a15 = a * sa;
    const double pos[3] = {x, y, z};
    const double vel[3] = {vx, vy, vz};
    double P[3], Q[3];
    for (int j = 0; j < 3; ++j) {
        P[j] = (pos[j] * cE * a / r - vel[j] * sE * a15 / mu) / a;
        Q[j] = (vel[j] * (cE - e) * a15 / mu + pos[j] * sE * a / r) / (std::sqrt(1.0 - e * e) * a);
    }

    // Ecliptic z components give the argument of perihelion and sin i.
    const double ce = std::cos(eps), se = std::sin(eps);
    const double pz = ce * P[2] - se * P[1];
    const double qz = ce * Q[2] - se * Q[1];
    double omega = 0.0, s = 0.0, node = 0.0, incl = 0.0;
    polar(qz, pz, omega, t, s);
    if (s < 1e-14) {
        // Orbit in the ecliptic: no node; the perihelion counted from the
        // x axis (for i = pi too, the angle of (P1, -Q1) is the one that
        // pqrvec turns back into P and Q).
        node = 0.0;
        incl = (x * vy - y * vx < 0.0) ? kPi : 0.0;
        double rr = 0.0;
        polar(P[0], -Q[0], omega, t, rr);
    } else {
        const double cw = std::cos(omega), sw = std::sin(omega);
        // The node's direction is cos w P - sin w Q; its y component in the
        // frame of eps is cos eps sin(node).
        const double sn = (cw * P[1] - sw * Q[1]) / ce;
        const double cn = cw * P[0] - sw * Q[0];
        double ci = 0.0;
        if (std::fabs(sn) > 1e-3) {
            // x component of sin w P + cos w Q is -cos i sin(node).
            ci = -(sw * P[0] + cw * Q[0]) / sn;
        } else {
            // Node at or near 0 or pi, where that quotient loses its digits
            // (or divides by zero): cos i from the orbit's pole, the
            // ecliptic z component of P x Q.
            const double py = ce * P[1] + se * P[2];
            const double qy = ce * Q[1] + se * Q[2];
            ci = P[0] * qy - py * Q[0];
        }
        double rr = 0.0;
        polar(ci, s, incl, t, rr);
        polar(cn, sn, node, t, rr);
    }
    if (circular) {
        // The perihelion is put at the ascending node (or the x axis).
        el = {norm2pi(M + omega), 0.0, node, incl, 0.0, n};
    } else {
        el = {norm2pi(M), omega, node, incl, e, n};
    }
    return ok_status();
}

}  // namespace zelvomat
