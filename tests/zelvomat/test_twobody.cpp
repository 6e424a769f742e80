// Two-body motion: Kepler's equation against published worked examples and
// an independent long-double solution; states against Vallado's worked
// Kepler problem; elements -> state -> elements round trips.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/frames.h"
#include "core/twobody.h"
#include "core/utils.h"

using namespace zelvomat;

namespace {

constexpr double kDeg = kPi / 180.0;

// Kepler's equation solved by bisection in long double: an independent
// reference (64-bit mantissa, f increasing on [0, 2 pi]).
long double kepler_reference(long double e, long double m) {
    long double lo = 0.0L, hi = 2.0L * 3.141592653589793238462643383279L;
    for (int i = 0; i < 200; ++i) {
        const long double mid = 0.5L * (lo + hi);
        if (mid - e * std::sin(mid) - m < 0.0L)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5L * (lo + hi);
}

// Difference of two angles reduced into (-pi, pi].
double angle_diff(double a, double b) { return std::remainder(a - b, kTwoPi); }

}  // namespace

TEST(Kepler, PublishedExamples) {
    struct Case {
        const char* source;
        double e, M_deg, E_deg, tol_deg;  // tolerance: the digits printed
    };
    const Case cases[] = {
        // J. Meeus, Astronomical Algorithms (2nd ed. 1998), Example 30.a.
        {"Meeus 30.a", 0.100, 5.0, 5.554589, 1e-6},
        // Meeus, ibid., chapter 30: a nearly parabolic orbit.
        {"Meeus ch. 30, e = 0.99", 0.99, 2.0, 32.361007, 1e-6},
        // D. A. Vallado, Fundamentals of Astrodynamics and Applications
        // (4th ed. 2013), Example 2-1.
        {"Vallado 2-1", 0.4, 235.4, 220.512074767522, 1e-12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_NEAR(kepler(c.e, c.M_deg * kDeg, kKeplerTol) / kDeg, c.E_deg, c.tol_deg);
    }
}

// The library's tolerance bounds the error of E, not merely the last change
// of an iteration: over eccentricities 0 .. 0.999999 and every kind of mean
// anomaly (0, tiny, near pi, near 2 pi, negative, many turns) E is within
// tol of the exact root, apart from the rounding of E - e sin E itself,
// which the slope 1 - e cos E magnifies near the perihelion of e -> 1 orbits
// (allowed as 4e-16 / slope).
TEST(Kepler, ConvergesWithinToleranceForEveryEccentricity) {
    const double eccs[] = {1e-16, 1e-10, 0.001, 0.05, 0.1, 0.2, 0.3, 0.5, 0.7, 0.9, 0.95, 0.99, 0.999, 0.999999};
    std::vector<double> anomalies = {0.0, 1e-12, 1e-6, 0.01,      0.2,  1.0,  3.0,     kPi,
                                     3.2, 5.0,   6.28, 6.2831853, -0.5, -7.0, 1000.25, 123456.789};
    for (int k = 0; k < 97; ++k) anomalies.push_back(-1.0 + 0.07 * k);
    for (double tol : {kKeplerTol, kKeplerTolComet}) {
        for (double e : eccs) {
            for (double M : anomalies) {
                SCOPED_TRACE(testing::Message() << "tol " << tol << " e " << e << " M " << M);
                const double E = kepler(e, M, tol);
                const double m = norm2pi(M);
                const long double ref = kepler_reference(e, m);
                const double slope = 1.0 - e * std::cos(static_cast<double>(ref));
                ASSERT_TRUE(std::isfinite(E));
                EXPECT_LE(std::fabs(static_cast<double>(E - ref)), tol + 4e-16 / slope);
            }
        }
    }
    // e = 0: E is M reduced into [0, 2 pi), exactly.
    EXPECT_EQ(kepler(0.0, -1.0, kKeplerTol), norm2pi(-1.0));
    EXPECT_EQ(kepler(0.0, 2.5, kKeplerTol), 2.5);
}

// The fixed-point iteration E := M + e sin E, stopped when its change is
// below tol or stops shrinking, converges slowly near e = 1 and stops where
// its change, not its error, is small: for e = 0.995 and M = 0.001 it takes
// about 2000 steps and ends 7e-13 rad from the root; for e = 0.99999 and
// M = 1e-7 half a million steps and 1.6e-9 rad. kepler must be within tol
// (plus the rounding allowance of the test above).
TEST(Kepler, NearParabolicCasesThatDefeatTheFixedPointIteration) {
    struct Case {
        double e, M;
    };
    const Case cases[] = {{0.99, 0.05}, {0.995, 0.001},  {0.9999, 0.02},
                          {0.97, 6.27}, {0.99999, 1e-7}, {0.999999, 1.2e-7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "e " << c.e << " M " << c.M);
        const double E = kepler(c.e, c.M, kKeplerTol);
        const long double ref = kepler_reference(c.e, norm2pi(c.M));
        const double slope = 1.0 - c.e * std::cos(static_cast<double>(ref));
        EXPECT_NEAR(E, static_cast<double>(ref), kKeplerTol + 4e-16 / slope);
    }
}

TEST(Kepler, RefusesWhatIsNotAnEllipse) {
    EXPECT_TRUE(std::isnan(kepler(1.0, 0.3, kKeplerTol)));
    EXPECT_TRUE(std::isnan(kepler(1.5, 0.3, kKeplerTol)));
    EXPECT_TRUE(std::isnan(kepler(-0.1, 0.3, kKeplerTol)));
    EXPECT_TRUE(std::isnan(kepler(0.5, std::numeric_limits<double>::infinity(), kKeplerTol)));
    EXPECT_TRUE(std::isnan(kepler(std::numeric_limits<double>::quiet_NaN(), 0.3, kKeplerTol)));
}

// D. A. Vallado, Fundamentals of Astrodynamics and Applications (5th ed.
// 2022), Example 2-4: r0 = (1131.340, -2282.343, 6672.423) km, v0 =
// (-5.64305, 4.30333, 2.42879) km/s about the Earth (mu = 398600.4418
// km^3/s^2), 40 minutes later r = (-4219.7527, 4363.0292, -3958.7666) km,
// v = (3.689866, -1.916735, -6.112511) km/s. The problem is scaled to the
// library's units: with the length unit L = (mu day^2 / k^2)^(1/3) the
// Earth's mu becomes k^2, so the heliocentric routines apply with m = 0.
TEST(TwoBody, ValladoWorkedKeplerProblem) {
    const double mu = 398600.4418;
    const double L = std::cbrt(mu * 86400.0 * 86400.0 / (kGaussK * kGaussK));
    const double vunit = L / 86400.0;  // km/s per L/day
    const StateVector s0 = {1131.340 / L,     -2282.343 / L,   6672.423 / L,
                            -5.64305 / vunit, 4.30333 / vunit, 2.42879 / vunit};
    const double r_ref[3] = {-4219.7527, 4363.0292, -3958.7666};
    const double v_ref[3] = {3.689866, -1.916735, -6.112511};
    for (double eps : {0.0, kObliquityJ2000}) {
        SCOPED_TRACE(eps);
        OrbitElements el;
        ASSERT_TRUE(stateel(0.0, s0, el, eps).ok());
        StateVector s{};
        ASSERT_TRUE(twobody(0.0, 0, 0.0, el, 0, 40.0 / 1440.0, eps, s).ok());
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(s[j] * L, r_ref[j], 1e-3);          // km; printed to 0.1 m
            EXPECT_NEAR(s[j + 3] * vunit, v_ref[j], 2e-6);  // km/s; printed to 1 mm/s
        }
        // And the state at the epoch itself comes back.
        ASSERT_TRUE(twobody(0.0, 0, 0.0, el, 0, 0.0, eps, s).ok());
        for (int j = 0; j < 6; ++j) EXPECT_NEAR(s[j], s0[j], 1e-14);
    }
}

TEST(TwoBody, ElementsStateElementsRoundTrip) {
    const double eccs[] = {0.0, 0.001, 0.05, 0.1, 0.2, 0.3, 0.5, 0.7, 0.9, 0.95, 0.99};
    struct Orientation {
        const char* what;
        double peri, node, incl;
    };
    const Orientation orientations[] = {
        {"inclined", 5.0, 1.3, 0.2},
        {"steep", 0.4, 4.0, 1.4},
        {"retrograde", 2.2, 3.0, 2.6},
        {"node at 0", 1.1, 0.0, 0.5},
        {"node at pi", 3.9, kPi, 0.3},
        {"in the ecliptic", 0.7, 2.0, 0.0},
        {"ecliptic, retrograde", 0.7, 2.0, kPi},
    };
    const double a = 2.7;  // AU
    for (double eps : {0.0, kObliquityJ2000}) {
        for (const auto& o : orientations) {
            for (double e : eccs) {
                for (double M : {0.0, 2.0, 5.9}) {
                    SCOPED_TRACE(testing::Message() << o.what << " e " << e << " M " << M << " eps " << eps);
                    const OrbitElements el{M, o.peri, o.node, o.incl, e, meanmot(a, 0.0)};
                    StateVector s{};
                    ASSERT_TRUE(twobody(0.0, 2451545, 0.0, el, 2451545, 0.0, eps, s).ok());
                    OrbitElements back;
                    ASSERT_TRUE(stateel(0.0, s, back, eps).ok());
                    EXPECT_NEAR(back.ecc, e, 1e-14);
                    // a from the energy 2 mu^2 - v^2 r loses the digits of
                    // (1 + e) / (1 - e) at the perihelion (200 for e = 0.99).
                    const double cond = (1.0 + e) / (1.0 - e);
                    EXPECT_NEAR(back.mean_motion / el.mean_motion, 1.0, 2e-15 * cond + 1e-15);
                    for (double v : {back.mean_anomaly, back.arg_perihelion, back.node}) {
                        EXPECT_GE(v, 0.0);
                        EXPECT_LT(v, kTwoPi);
                    }
                    // Convention-free: the elements found give the same motion
                    // (here and 300 days on).
                    for (std::int32_t jd : {2451545, 2451845}) {
                        StateVector s1{}, s2{};
                        ASSERT_TRUE(twobody(0.0, 2451545, 0.0, el, jd, 0.0, eps, s1).ok());
                        ASSERT_TRUE(twobody(0.0, 2451545, 0.0, back, jd, 0.0, eps, s2).ok());
                        for (int j = 0; j < 3; ++j) EXPECT_NEAR(s2[j], s1[j], 1e-12);  // AU
                        for (int j = 3; j < 6; ++j) EXPECT_NEAR(s2[j], s1[j], 1e-13);  // AU/day
                    }
                    // The elements themselves, where the orientation is defined.
                    const bool planar = o.incl == 0.0 || o.incl == kPi;
                    EXPECT_NEAR(back.incl, o.incl, 1e-12);
                    if (!planar)
                        EXPECT_NEAR(angle_diff(back.node, o.node), 0.0, 1e-12);
                    else
                        EXPECT_EQ(back.node, 0.0);
                    // Longitude of the perihelion along the orbit's own sense.
                    const double lon_peri =
                        planar && o.incl == kPi ? o.peri - o.node : o.peri + (planar ? o.node : 0.0);
                    if (e == 0.0) {
                        // No perihelion: put at the node (or the x axis), the
                        // mean anomaly counting from there.
                        EXPECT_EQ(back.arg_perihelion, 0.0);
                        EXPECT_NEAR(angle_diff(back.mean_anomaly, M + lon_peri), 0.0, 1e-12);
                    } else {
                        // omega and M are separately defined to about
                        // 1e-15 / e.
                        const double tol = 1e-12 + 1e-14 / e;
                        EXPECT_NEAR(angle_diff(back.arg_perihelion, lon_peri), 0.0, tol);
                        EXPECT_NEAR(angle_diff(back.mean_anomaly, M), 0.0, tol);
                    }
                }
            }
        }
    }
}

TEST(TwoBody, CircularDistanceAxesAndUnits) {
    // e = 0: the distance is a at every date.
    const double a = 1.5;
    const OrbitElements el{0.3, 1.0, 2.0, 0.4, 0.0, meanmot(a, 0.0)};
    for (std::int32_t jd : {2451545, 2451600, 2460000, 2400000}) {
        StateVector s{};
        ASSERT_TRUE(twobody(0.0, 2451545, 0.5, el, jd, 0.25, kObliquityJ2000, s).ok());
        EXPECT_NEAR(std::hypot(s[0], s[1], s[2]), a, 1e-14);
    }
    // A year of the Earth: n = k for a = 1 AU and m = 0; 2 pi / k days.
    EXPECT_DOUBLE_EQ(meanmot(1.0, 0.0), kGaussK);
    EXPECT_NEAR(kTwoPi / meanmot(1.0, 0.0), 365.2568983, 1e-6);
    for (double aa : {0.3, 1.0, 2.77, 39.5}) {
        for (double m : {0.0, 1.0 / 1047.3486}) EXPECT_NEAR(semiaxis(meanmot(aa, m), m) / aa, 1.0, 1e-15);
    }
    // P, Q, R: orthonormal, R = P x Q; in the ecliptic R is
    // (sin i sin node, -sin i cos node, cos i).
    const OrbitAxes ax = pqrvec(1.0, 2.0, 0.4, 0.0);
    const auto dot = [](const Vec3& u, const Vec3& v) { return u[0] * v[0] + u[1] * v[1] + u[2] * v[2]; };
    EXPECT_NEAR(dot(ax.p, ax.p), 1.0, 1e-15);
    EXPECT_NEAR(dot(ax.q, ax.q), 1.0, 1e-15);
    EXPECT_NEAR(dot(ax.p, ax.q), 0.0, 1e-15);
    EXPECT_NEAR(ax.p[1] * ax.q[2] - ax.p[2] * ax.q[1], ax.r[0], 1e-15);
    EXPECT_NEAR(ax.r[0], std::sin(0.4) * std::sin(2.0), 1e-15);
    EXPECT_NEAR(ax.r[1], -std::sin(0.4) * std::cos(2.0), 1e-15);
    EXPECT_NEAR(ax.r[2], std::cos(0.4), 1e-15);
    // eps turns the ecliptic vectors about x: R in the equator.
    const OrbitAxes eq = pqrvec(1.0, 2.0, 0.4, kObliquityJ2000);
    const Vec3 r_eq = matmul(rotx(-kObliquityJ2000), ax.r);
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(eq.r[j], r_eq[j], 1e-15);
}

TEST(TwoBody, RefusesOrbitsThatAreNotElliptic) {
    const StateVector unset = {7, 7, 7, 7, 7, 7};
    struct Case {
        const char* what;
        double e, n;
    };
    const Case cases[] = {
        {"parabola", 1.0, 0.01},        {"hyperbola", 1.3, 0.01},
        {"negative e", -0.1, 0.01},     {"e not a number", std::numeric_limits<double>::quiet_NaN(), 0.01},
        {"zero mean motion", 0.2, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StateVector s = unset;
        const Status st = twobody(0.0, 2451545, 0.0, {1.0, 0.0, 0.0, 0.1, c.e, c.n}, 2451545, 0.0, 0.0, s);
        EXPECT_FALSE(st.ok());
        EXPECT_FALSE(st.message().empty());
        EXPECT_EQ(s, unset);
    }
    // A state at or above the speed of escape, and a zero distance.
    const double v_escape = kGaussK * std::sqrt(2.0);  // at 1 AU, AU/day
    const OrbitElements kept{1, 2, 3, 0.5, 0.25, 0.01};
    for (const StateVector& s : {StateVector{1, 0, 0, 0, v_escape * 1.0000001, 0}, StateVector{1, 0, 0, 0, 0.05, 0.01},
                                 StateVector{0, 0, 0, 0, 0.01, 0}}) {
        OrbitElements el = kept;
        EXPECT_FALSE(stateel(0.0, s, el, 0.0).ok());
        EXPECT_EQ(el.ecc, kept.ecc);
        EXPECT_EQ(el.mean_anomaly, kept.mean_anomaly);
    }
}
