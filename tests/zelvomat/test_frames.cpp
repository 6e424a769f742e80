// Precession, nutation, obliquity, sidereal time and rotations, checked
// against ERFA's IAU 1976/1980/1982 routines.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/frames.h"
#include "core/utils.h"

using namespace zelvomat;

namespace {

constexpr double kArcsec = 4.84813681109536e-06;  // radians

// Julian dates spread over 1800-2200 (and J2000 itself).
std::vector<double> sample_dates(double first, double last, int n) {
    std::vector<double> d;
    for (int k = 0; k < n; ++k) d.push_back(first + (last - first) * k / (n - 1) + 0.123 * (k % 7));
    d.push_back(2451545.0);
    return d;
}

// ERFA matrix (row-major r[i][j]) against ours (column by column).
void expect_same_matrix(const Mat3& ours, double r[3][3], double tol) {
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) EXPECT_NEAR(m3(ours, i, j), r[i - 1][j - 1], tol) << "element " << i << "," << j;
}

}  // namespace

TEST(Precession, AnglesAndMatrixMatchErfa) {
    struct Case {
        const char* what;
        double jd_a, fr_a, jd_b, fr_b;
    };
    const Case cases[] = {
        {"J2000 to 2024", 2451545.0, 0.0, 2460310.0, 0.5},
        {"J2000 to 1900", 2451545.0, 0.0, 2415020.0, 0.0},
        {"1950 to 2050", 2433282.0, 0.4235, 2469807.0, 0.5},
        {"2100 to 1800", 2488070.0, 0.0, 2378497.0, 0.25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        double zeta = 0, z = 0, theta = 0;
        eraPrec76(c.jd_a, c.fr_a, c.jd_b, c.fr_b, &zeta, &z, &theta);
        const PrecessionAngles p = prec(0, c.jd_a, c.fr_a, c.jd_b, c.fr_b);
        // Same polynomials; the library's radians per arcsecond,
        // 4.8481368111e-06, is rounded at 1e-12 of itself, so the angles
        // (below 0.05 rad) agree within 1e-12 of their size.
        EXPECT_NEAR(p.zeta, zeta, 1e-12 * std::fabs(zeta) + 1e-17);
        EXPECT_NEAR(p.z, z, 1e-12 * std::fabs(z) + 1e-17);
        EXPECT_NEAR(p.theta, theta, 1e-12 * std::fabs(theta) + 1e-17);
    }
    // The precession matrix from J2000 to dates of 1800-2200 (ERFA: TT dates).
    for (double jd : sample_dates(2378497.0, 2524594.0, 41)) {
        SCOPED_TRACE(jd);
        const double whole = std::floor(jd);
        const PrecessionAngles p = prec(0, 2451545.0, 0.0, whole, jd - whole);
        double r[3][3];
        eraPmat76(whole, jd - whole, r);
        expect_same_matrix(mapr(p.zeta, p.z, p.theta), r, 1e-13);  // as the angles
    }
}

TEST(Precession, EqualEpochsGiveZeroAndOlderSetIsClose) {
    for (int mode : {0, 1}) {
        const PrecessionAngles p = prec(mode, 2440000.0, 0.3, 2440000.0, 0.3);
        EXPECT_EQ(p.zeta, 0.0);
        EXPECT_EQ(p.z, 0.0);
        EXPECT_EQ(p.theta, 0.0);
    }
    // B1950.0 to J2000.0 with the Newcomb-Andoyer set: the IAU 1976 constant
    // of precession is 1.1"/century larger, so the two sets differ by a
    // fraction of an arcsecond over half a century (about 1150" in zeta and z).
    const PrecessionAngles old_set = prec(1, 2433282.0, 0.4235, 2451545.0, 0.0);
    const PrecessionAngles iau = prec(0, 2433282.0, 0.4235, 2451545.0, 0.0);
    EXPECT_NEAR(old_set.zeta, iau.zeta, 1.0 * kArcsec);
    EXPECT_NEAR(old_set.z, iau.z, 1.0 * kArcsec);
    EXPECT_NEAR(old_set.theta, iau.theta, 1.0 * kArcsec);
}

TEST(Obliquity, MatchesErfaObl80) {
    // At J2000.0 exactly 84381.448" (ERFA's value, and the library's
    // constant).
    EXPECT_EQ(obliq(2451545, 0.0), eraObl80(2451545.0, 0.0));
    EXPECT_EQ(obliq(2451545, 0.0), kObliquityJ2000);
    for (double jd : sample_dates(2378497.0, 2524594.0, 41)) {
        SCOPED_TRACE(jd);
        const double whole = std::floor(jd);
        // The same series as ERFA's, evaluated in another order: within
        // 1.5e-11 rad over 1800-2200.
        EXPECT_NEAR(obliq(static_cast<std::int32_t>(whole), jd - whole), eraObl80(whole, jd - whole), 1.5e-11);
    }
}

// The nutation table holds its phases, rates and coefficients in single
// precision and sums in single precision, and leaves out the quadratic terms
// of the fundamental arguments other than the node's: over 1900-2100 this
// costs up to a few 1e-5" (float sums near 17" carry about 2e-6" of rounding
// each, phases 4e-7 rad against the 17.2" term). The tolerance is 1e-4"
// over 1900-2100 and 3e-4" over 1800-2200, where the omitted T^2 terms grow.
TEST(Nutation, MatchesErfaNut80WithinSinglePrecision) {
    struct Span {
        double first, last, tol_arcsec;
    };
    const Span spans[] = {{2415020.0, 2488070.0, 1e-4}, {2378497.0, 2524594.0, 3e-4}};
    for (const auto& sp : spans) {
        double worst = 0.0;
        for (double jd : sample_dates(sp.first, sp.last, 997)) {
            SCOPED_TRACE(jd);
            const double whole = std::floor(jd);
            double dpsi = 0, deps = 0;
            eraNut80(whole, jd - whole, &dpsi, &deps);
            const Nutation n = nutm(0, 0, whole, jd - whole);
            EXPECT_NEAR(n.dpsi, dpsi, sp.tol_arcsec * kArcsec);
            EXPECT_NEAR(n.deps, deps, sp.tol_arcsec * kArcsec);
            EXPECT_EQ(n.dpsi_rate, 0.0);
            worst = std::fmax(worst, std::fmax(std::fabs(n.dpsi - dpsi), std::fabs(n.deps - deps)));
        }
        RecordProperty("worst_arcsec_x1e6", static_cast<int>(worst / kArcsec * 1e6));
    }
}

TEST(Nutation, GroupsAndValueAtJ2000) {
    const Nutation all = nutm(0, 0, 2451545.0, 0.0);
    // About -13.9" and -5.8" at J2000.0.
    EXPECT_NEAR(all.dpsi, -6.75e-05, 0.01e-05);
    EXPECT_NEAR(all.deps, -2.8e-05, 0.01e-05);
    for (double jd : {2451545.0, 2460310.5, 2430000.25}) {
        const Nutation lng = nutm(1, 0, jd, 0.0);
        const Nutation sht = nutm(2, 0, jd, 0.0);
        const Nutation sum = nutm(-1, 0, jd, 0.0);
        // Single-precision sums: the groups add up to the whole within the
        // rounding of a float near 17" (about 2e-6").
        EXPECT_NEAR(lng.dpsi + sht.dpsi, sum.dpsi, 1e-5 * kArcsec);
        EXPECT_NEAR(lng.deps + sht.deps, sum.deps, 1e-5 * kArcsec);
        EXPECT_NEAR(nutm(7, 0, jd, 0.0).dpsi, sht.dpsi, 0.0);
    }
}

TEST(Nutation, RatesMatchDerivativeOfErfaSeries) {
    // Central differences of ERFA's series over +-0.05 day (truncation error
    // below 1e-9"/day); the rates of the single-precision table agree within
    // 4e-5" per day (the largest rate is about 0.1"/day; 3e-5" seen over
    // 1800-2200).
    for (double jd : {2451545.0, 2455000.3, 2440000.7, 2470000.1}) {
        SCOPED_TRACE(jd);
        const double h = 0.05;
        double p1, e1, p2, e2;
        eraNut80(jd + h, 0.0, &p1, &e1);
        eraNut80(jd - h, 0.0, &p2, &e2);
        const Nutation n = nutm(0, 1, jd, 0.0);
        EXPECT_NEAR(n.dpsi_rate, (p1 - p2) / (2 * h), 4e-5 * kArcsec);
        EXPECT_NEAR(n.deps_rate, (e1 - e2) / (2 * h), 4e-5 * kArcsec);
    }
}

TEST(Nutation, MatrixMatchesErfaNumat) {
    for (double jd : {2451545.0, 2460310.5, 2415020.0}) {
        double dpsi, deps;
        eraNut80(jd, 0.0, &dpsi, &deps);
        const double eps = eraObl80(jd, 0.0);
        double r[3][3];
        eraNumat(eps, dpsi, deps, r);
        expect_same_matrix(nutmat(dpsi, deps, eps), r, 1e-15);
    }
}

TEST(Rotations, AxesAndLayoutMatchErfa) {
    for (double a : {0.0, 0.3, -1.2, 2.9}) {
        SCOPED_TRACE(a);
        double r[3][3];
        eraIr(r);
        eraRx(a, r);
        expect_same_matrix(rotx(a), r, 1e-16);
        eraIr(r);
        eraRy(a, r);
        expect_same_matrix(roty(a), r, 1e-16);
        eraIr(r);
        eraRz(a, r);
        expect_same_matrix(rotz(a), r, 1e-16);
        // The vector products against ERFA's.
        const Vec3 p{0.3, -1.2, a}, q{2.0, 0.5, -0.7};
        double pv[3] = {p[0], p[1], p[2]}, qv[3] = {q[0], q[1], q[2]}, pxq[3];
        eraPxp(pv, qv, pxq);
        const Vec3 c = cross(p, q);
        for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(c[i], pxq[i]);
        EXPECT_NEAR(dot(p, q), eraPdp(pv, qv), 1e-15);
        EXPECT_NEAR(norm(p), eraPm(pv), 1e-15);
    }
    // Column-by-column storage: element (1, 2) of rotz is sin a, at index 3.
    EXPECT_DOUBLE_EQ(rotz(0.5)[3], std::sin(0.5));
    // The pole of the equator seen in the ecliptic frame.
    const double eps = kObliquityJ2000;
    const Vec3 v = matmul(rotx(eps), Vec3{0.0, 0.0, 1.0});
    EXPECT_NEAR(v[0], 0.0, 1e-16);
    EXPECT_NEAR(v[1], std::sin(eps), 1e-16);
    EXPECT_NEAR(v[2], std::cos(eps), 1e-16);
}

TEST(Rotations, MatrixProduct) {
    // A product of rotations against ERFA's eraRxr.
    const Mat3 a = rotx(0.4), b = rotz(-1.1);
    double ra[3][3], rb[3][3], rc[3][3];
    eraIr(ra);
    eraRx(0.4, ra);
    eraIr(rb);
    eraRz(-1.1, rb);
    eraRxr(ra, rb, rc);
    expect_same_matrix(matmul(a, b), rc, 1e-15);
    // A (2 x 3) times B (3 x 2), column by column, worked by hand:
    // A = [1 2 3; 4 5 6], B = [7 8; 9 10; 11 12], A B = [58 64; 139 154].
    const double A[6] = {1, 4, 2, 5, 3, 6};
    const double B[6] = {7, 9, 11, 8, 10, 12};
    double C[4] = {};
    matmul(A, B, C, 2, 3, 2);
    EXPECT_EQ(C[0], 58.0);
    EXPECT_EQ(C[1], 139.0);
    EXPECT_EQ(C[2], 64.0);
    EXPECT_EQ(C[3], 154.0);
    // The result may be written over an operand (N x P into P).
    Mat3 p = b;
    matmul(a, p, p, 3, 3, 3);
    expect_same_matrix(p, rc, 1e-15);
    // Spans too short for the shapes: nothing written.
    double small[2] = {-1, -1};
    matmul(A, B, small, 2, 3, 2);
    EXPECT_EQ(small[0], -1.0);
}

// ERFA's eraGmst82 uses 24110.54841 s at 0h and 8640184.812866 s per century;
// the library's 0.2790572732 turns and 0.00273790935079 turns per day are
// those values cut at 10 and 14 decimals, 4.0e-10 rad short at J2000 and
// falling behind by 1.23e-9 rad (0.00025") a century more. The tolerance is
// 4.1e-10 + 1.25e-9 |T| rad, T in centuries from J2000.
TEST(SiderealTime, MatchesErfaGmst82) {
    EXPECT_NEAR(gmst(2451545, 0.0), 280.46061837 / kDegPerRad, 1e-6);
    for (double jd : sample_dates(2415020.0, 2488070.0, 301)) {
        SCOPED_TRACE(jd);
        const double whole = std::floor(jd);
        const double fr = jd - whole;
        const double ours = gmst(static_cast<std::int32_t>(whole), fr);
        const double ref = eraGmst82(whole, fr);
        double d = std::fabs(ours - ref);
        d = std::fmin(d, kTwoPi - d);
        EXPECT_LT(d, 4.1e-10 + 1.25e-9 * std::fabs(jd - 2451545.0) / 36525.0);
        EXPECT_GE(ours, 0.0);
        EXPECT_LT(ours, kTwoPi);
    }
}

TEST(SphericalTriangle, AzimuthZenithDistanceAndParallacticAngle) {
    struct Case {
        double ha, dec, phi;  // radians
    };
    const Case cases[] = {
        {0.3, 0.2, 0.8}, {-1.0, -0.4, 0.6}, {2.5, 1.2, -0.3}, {-2.9, -1.3, -0.9}, {1.57, 0.0, 0.0}, {0.0, 0.9, 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ha);
        double az = 0, el = 0;
        eraHd2ae(c.ha, c.dec, c.phi, &az, &el);
        const double pa = eraHd2pa(c.ha, c.dec, c.phi);
        double a1 = -9, s = -9, a2 = -9;
        sphrot(kPi / 2 - c.dec, c.ha, kPi / 2 - c.phi, a1, s, a2);
        // a1 counts from the north towards the west, ERFA's azimuth towards
        // the east.
        EXPECT_NEAR(norm2pi(a1 + az + 1e-3) - 1e-3, 0.0, 1e-12);
        EXPECT_NEAR(s, kPi / 2 - el, 1e-12);
        EXPECT_NEAR(norm2pi(a2 - pa + 1e-3) - 1e-3, 0.0, 1e-12);
    }
    // Hour angle 0: azimuth 0 or pi, zenith distance |latitude - declination|
    // (south of the zenith at azimuth pi, north of it at 0).
    double a1 = -9, s = -9, a2 = -9;
    sphrot(kPi / 2 - 0.2, 0.0, kPi / 2 - 0.7, a1, s, a2);
    EXPECT_NEAR(a1, kPi, 1e-15);
    EXPECT_NEAR(s, 0.5, 1e-15);
    sphrot(kPi / 2 - 0.9, 0.0, kPi / 2 - 0.7, a1, s, a2);
    EXPECT_NEAR(a1, 0.0, 1e-15);
    EXPECT_NEAR(s, 0.2, 1e-15);
    // A star at the zenith has no azimuth: the value given stays.
    a1 = 1.25;
    sphrot(kPi / 2 - 0.7, 0.0, kPi / 2 - 0.7, a1, s, a2);
    EXPECT_EQ(a1, 1.25);
    EXPECT_NEAR(s, 0.0, 1e-15);
}
