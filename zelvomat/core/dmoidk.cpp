// Minimum orbit intersection distance (MOID) of two elliptic orbits and the
// Tisserand parameter. See orbprop.h for the method and the choice of step.
//
// Notation of the scan (S scanned, T the other orbit; u and v their eccentric
// anomalies): the position on S is a1 ((cos u - e1) P1 + sin u Q1'), Q1' =
// sqrt(1 - e1^2) Q1, and likewise on T; P and Q are the unit vectors towards
// the perihelion and 90 degrees ahead of it (pqrvec, ecliptic frame). The
// squared distance divided by 2 a1 a2 is the function t(u, v) of
// moid_distance below.
//
// Reference for the approach (critical points of the distance function of two
// confocal ellipses): K. V. Kholshevnikov, N. N. Vassiliev, Celest. Mech. Dyn.
// Astron. 75, 75 (1999); G. F. Gronchi, SIAM J. Sci. Comput. 24, 61 (2002).
#include <cmath>
#include <utility>

#include "core/orbprop.h"
#include "core/utils.h"

namespace zelvomat {

namespace {

// Orbit as the scan sees it.
struct ScanOrbit {
    double e = 0.0, a = 0.0;
    Vec3 p{}, q{};  // q already multiplied by sqrt(1 - e^2)
};

ScanOrbit scan_orbit(const OrbitElements& el, double a) {
    const OrbitAxes ax = pqrvec(el.arg_perihelion, el.node, el.incl, 0.0);
    ScanOrbit s;
    s.e = el.ecc;
    s.a = a;
    s.p = ax.p;
    const double b = std::sqrt(1.0 - el.ecc * el.ecc);
    for (std::size_t j = 0; j < 3; ++j) s.q[j] = b * ax.q[j];
    return s;
}

// The quantities of the scan that depend on the pair of orbits only.
class MoidScan {
public:
    MoidScan(const ScanOrbit& s, const ScanOrbit& t)
        : e1_(s.e),
          e2_(t.e),
          a1_(s.a),
          a2_(t.a),
          r12_(s.a / t.a),
          r21_(t.a / s.a),
          A_(dot(s.p, t.p)),
          B_(dot(s.p, t.q)),
          C_(dot(t.p, s.q)),
          D_(dot(s.q, t.q)),
          K3_(t.e * t.e * r21_) {}

    // Point u (degrees) of S: usable when T has a point whose joining vector
    // is perpendicular to S's tangent; then F and, when asked for, the two
    // roots v as cosine and sine, the one chosen by the derivative along T
    // first.
    struct Point {
        bool usable = false;
        double F = 0.0;
        double cu = 0.0, su = 0.0;
        double cv[2]{}, sv[2]{};
    };

    Point at(double u_deg, bool roots) const {
        const double u = u_deg * kRadPerDeg;
        const double s = std::sin(u), c = std::cos(u);
        const double X = s * B_ - c * D_;
        const double Y = s * A_ - c * C_;
        const double Z = Y * e2_ - r12_ * e1_ * s * (1.0 - e1_ * c);
        const double R = X * X + Y * Y;
        const double G = R - Z * Z;
        Point pt;
        // R = 0 leaves the direction of v undefined (then G = -Z^2 <= 0 too).
        if (!(G >= 0.0) || !(R > 0.0)) return pt;
        pt.usable = true;
        pt.cu = c;
        pt.su = s;
        const double K1 = s * C_ + c * A_ + e2_ * r21_ - e1_ * A_;
        const double K2 = e1_ * B_ - s * D_ - c * B_;
        const double a = X * X - Z * Z;
        const double b = Y * Y - Z * Z;
        pt.F = 2.0 * Z * K3_ * (K1 * Y * b + K2 * X * a) + K3_ * K3_ * a * b -
               R * (K1 * K1 * b + K2 * K2 * a - 2.0 * K1 * K2 * X * Y);
        if (!roots) return pt;
        // The two roots of Y cos v + X sin v = Z. The one where the
        // derivative of the squared distance along T is the smaller is the
        // critical one near a zero of F (the root with sg = +1 on a tie);
        // the other root is kept as well, since where both are critical (a
        // circular T gives a tie everywhere) the nearer point is wanted.
        const double g = std::sqrt(G);
        double dd[2];
        for (int k = 0; k < 2; ++k) {
            const double sg = k == 0 ? 1.0 : -1.0;
            pt.cv[k] = (sg * g * X + Z * Y) / R;
            pt.sv[k] = (Z * X - sg * g * Y) / R;
            dd[k] = std::fabs(K1 * pt.sv[k] + K2 * pt.cv[k] - K3_ * pt.sv[k] * pt.cv[k]);
        }
        if (dd[1] < dd[0]) {
            std::swap(pt.cv[0], pt.cv[1]);
            std::swap(pt.sv[0], pt.sv[1]);
        }
        return pt;
    }

    // Distance (AU) of the points u of S and v of T, given by their cosines
    // and sines.
    double distance(double cu, double su, double cv, double sv) const {
        const double t = (r21_ * e2_ * e2_ + r12_ * e1_ * e1_) / 4.0 + (r21_ + r12_) / 2.0 - A_ * e1_ * e2_ +
                         (A_ * e2_ - r12_ * e1_) * cu + (A_ * e1_ - r21_ * e2_) * cv + C_ * e2_ * su + B_ * e1_ * sv -
                         A_ * cu * cv - B_ * cu * sv - C_ * su * cv - D_ * su * sv +
                         r12_ * e1_ * e1_ * (cu * cu - su * su) / 4.0 + r21_ * e2_ * e2_ * (cv * cv - sv * sv) / 4.0;
        return std::sqrt(2.0 * a1_ * a2_ * std::fabs(t));
    }

    // A pair of points and their distance (AU); u and v in radians.
    struct Candidate {
        double d = kNoCandidate;
        double u = 0.0, v = 0.0;
    };
    static constexpr double kNoCandidate = 999.0;

    // One scan at the step h (degrees): the smallest candidate, d =
    // kNoCandidate when there is none.
    Candidate scan(double h) const {
        Candidate best;
        // The first usable point of the turn.
        long k = 0;
        const long k_turn = std::lround(std::ceil(360.0 / h));
        Point p1;
        double u1 = 0.0;
        for (; k < k_turn; ++k) {
            u1 = static_cast<double>(k) * h;
            p1 = at(u1, false);
            if (p1.usable) break;
        }
        if (!p1.usable) return best;
        // The search for the next usable point ends one whole turn after the
        // first one: beyond it the pairs repeat.
        const double u_last = u1 + 360.0;
        while (u1 <= 359.0) {
            const double F0 = p1.F, u0 = u1;
            bool found = false;
            for (++k; static_cast<double>(k) * h <= u_last; ++k) {
                u1 = static_cast<double>(k) * h;
                p1 = at(u1, false);
                if (p1.usable) {
                    found = true;
                    break;
                }
            }
            if (!found) break;
            const double F1 = p1.F;
            // Zero of F by linear inverse interpolation; where F is flat the
            // earlier point stands for it.
            double us = (F1 != F0) ? (u0 * F1 - u1 * F0) / (F1 - F0) : u0;
            if (!std::isfinite(us)) continue;
            us = std::fmod(us, 360.0);
            if (us < 0.0) us += 360.0;
            const Point ps = at(us, true);
            if (!ps.usable) continue;
            for (int r = 0; r < 2; ++r) {
                const double d = distance(ps.cu, ps.su, ps.cv[r], ps.sv[r]);
                if (d < best.d) best = {d, us * kRadPerDeg, std::atan2(ps.sv[r], ps.cv[r])};
            }
        }
        return best;
    }

private:
    double e1_, e2_, a1_, a2_, r12_, r21_;
    double A_, B_, C_, D_, K3_;
};

// Point of an orbit at the eccentric anomaly x (radians) and its first and
// second derivatives with respect to x.
struct OrbitPointDerivs {
    Vec3 r{}, d1{}, d2{};
};

OrbitPointDerivs point_on(const ScanOrbit& o, double x) {
    const double c = std::cos(x), s = std::sin(x);
    OrbitPointDerivs p;
    for (std::size_t j = 0; j < 3; ++j) {
        p.r[j] = o.a * ((c - o.e) * o.p[j] + s * o.q[j]);
        p.d1[j] = o.a * (-s * o.p[j] + c * o.q[j]);
        p.d2[j] = o.a * (-c * o.p[j] - s * o.q[j]);
    }
    return p;
}

double squared_distance(const ScanOrbit& s, double u, const ScanOrbit& t, double v) {
    const Vec3 r1 = point_on(s, u).r, r2 = point_on(t, v).r;
    const Vec3 w{r1[0] - r2[0], r1[1] - r2[1], r1[2] - r2[2]};
    return dot(w, w);
}

// Local minimum of the squared distance f(u, v) near the scan's best pair:
// Newton's method on the gradient, a step halved until f decreases (a
// gradient step where the Hessian is not positive definite), at most
// kPolishIterations steps. Every accepted step lowers f, so the result is
// never above the scan's candidate and, being the distance of two points of
// the orbits, never below the true MOID.
constexpr int kPolishIterations = 50;
constexpr int kPolishHalvings = 40;

double polish(const ScanOrbit& s, const ScanOrbit& t, double u, double v, double d) {
    double f = d * d;
    for (int it = 0; it < kPolishIterations; ++it) {
        const OrbitPointDerivs p1 = point_on(s, u), p2 = point_on(t, v);
        const Vec3 w{p1.r[0] - p2.r[0], p1.r[1] - p2.r[1], p1.r[2] - p2.r[2]};
        const double gu = 2.0 * dot(w, p1.d1), gv = -2.0 * dot(w, p2.d1);
        const double huu = 2.0 * (dot(p1.d1, p1.d1) + dot(w, p1.d2));
        const double hvv = 2.0 * (dot(p2.d1, p2.d1) - dot(w, p2.d2));
        const double huv = -2.0 * dot(p1.d1, p2.d1);
        const double det = huu * hvv - huv * huv;
        double du = 0.0, dv = 0.0;
        if (huu > 0.0 && det > 0.0) {
            du = -(hvv * gu - huv * gv) / det;
            dv = -(huu * gv - huv * gu) / det;
        } else {
            const double scale = std::fabs(huu) + std::fabs(hvv) + std::fabs(huv);
            if (!(scale > 0.0)) break;
            du = -gu / scale;
            dv = -gv / scale;
        }
        bool lowered = false;
        for (int k = 0; k < kPolishHalvings; ++k, du /= 2.0, dv /= 2.0) {
            const double fn = squared_distance(s, u + du, t, v + dv);
            if (fn < f) {
                f = fn;
                u += du;
                v += dv;
                lowered = true;
                break;
            }
        }
        if (!lowered || std::fabs(du) + std::fabs(dv) < 1e-15) break;
    }
    return std::sqrt(f);
}

Status check_orbit(const OrbitElements& el, double a) {
    const double v[] = {el.mean_anomaly, el.arg_perihelion, el.node, el.incl, el.ecc, el.mean_motion, a};
    for (const double x : v)
        if (!std::isfinite(x)) return error_status("orbit elements are not numbers");
    if (!(el.ecc >= 0.0 && el.ecc < 1.0)) return error_status("orbit is not elliptic");
    if (!(el.mean_motion > 0.0)) return error_status("mean motion is not positive");
    if (!(a > 0.0)) return error_status("semi-major axis is not positive");
    return ok_status();
}

}  // namespace

MoidPlan moid_plan(const OrbitElements& el2) {
    const double i2 = el2.incl * kDegPerRad;
    const double e2 = el2.ecc;
    MoidPlan plan;
    if (i2 > 40.0 || e2 > 0.4) {
        plan.scan_second = true;
        plan.step_deg = 0.2;
    } else {
        plan.scan_second = false;
        plan.step_deg = i2 > 8.0 ? 1.0 : 1.5;
    }
    return plan;
}

Result<MoidSearch> moid(const OrbitElements& el1, double a1, const OrbitElements& el2, double a2) {
    ZEL_TRY(check_orbit(el1, a1));
    ZEL_TRY(check_orbit(el2, a2));
    const MoidPlan plan = moid_plan(el2);
    const ScanOrbit o1 = scan_orbit(el1, a1), o2 = scan_orbit(el2, a2);
    const MoidScan scan = plan.scan_second ? MoidScan(o2, o1) : MoidScan(o1, o2);
    MoidSearch out;
    double h = plan.step_deg;
    for (int halvings = 0; halvings <= kMoidMaxHalvings; ++halvings, h /= 2.0) {
        const MoidScan::Candidate c = scan.scan(h);
        if (c.d != MoidScan::kNoCandidate) {
            out.scan_au = c.d;
            out.moid_au = plan.scan_second ? polish(o2, o1, c.u, c.v, c.d) : polish(o1, o2, c.u, c.v, c.d);
            out.step_deg = h;
            out.halvings = halvings;
            return out;
        }
    }
    return error_status("no minimum orbit intersection distance found");
}

Result<double> tisserand(const OrbitElements& el1, double a1, const OrbitElements& el2, double a2) {
    if (!(a1 > 0.0) || !(a2 > 0.0)) return error_status("semi-major axis is not positive");
    if (!(el2.ecc >= 0.0 && el2.ecc < 1.0)) return error_status("orbit is not elliptic");
    // Poles of the two orbit planes; their scalar product does not depend on
    // the frame, the equator of J2000 serves as well as the ecliptic.
    const Vec3 r1 = pqrvec(el1.arg_perihelion, el1.node, el1.incl, kObliquityJ2000).r;
    const Vec3 r2 = pqrvec(el2.arg_perihelion, el2.node, el2.incl, kObliquityJ2000).r;
    const double cos_i = dot(r1, r2);
    const double t = a1 / a2 + 2.0 * cos_i * std::sqrt((a2 / a1) * (1.0 - el2.ecc * el2.ecc));
    if (!std::isfinite(t)) return error_status("orbit elements are not numbers");
    return t;
}

}  // namespace zelvomat
