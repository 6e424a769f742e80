// Observer vector, light time, first-order apparent direction, geometric
// position, phase and elongation, checked against ERFA (observer position and
// velocity, spherical coordinates and rates, aberration, angular separation),
// against the exact light-time solution of uniform motion, and against plane
// triangles worked by hand.
#include <erfa.h>
#include <erfam.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/apparent.h"
#include "core/frames.h"
#include "core/observer.h"
#include "core/utils.h"

using namespace zelvomat;

namespace {

constexpr double kArcsec = 4.84813681109536e-06;  // radians
constexpr double kEarthA = 6378137.0;             // WGS84 equatorial radius, m
// 1/c in days per AU from ERFA's constants (not the library's own value).
constexpr double kErfaLightDaysPerAu = 1.0 / ERFA_DC;

StateVector state(double x, double y, double z, double vx, double vy, double vz) { return {x, y, z, vx, vy, vz}; }

// a + b + c as ERFA's position-velocity array.
void sum_pv(const StateVector& a, const StateVector& b, const StateVector& c, double pv[2][3]) {
    for (int j = 0; j < 3; ++j) {
        pv[0][j] = a[j] + b[j] + c[j];
        pv[1][j] = a[j + 3] + b[j + 3] + c[j + 3];
    }
}

// Angle between two directions given as right ascension and declination.
double separation(double ra1, double dec1, double ra2, double dec2) { return eraSeps(ra1, dec1, ra2, dec2); }

// Parallax constants (Earth radii) of a geodetic site, from ERFA's WGS84
// conversion.
void site_constants(double lon, double lat, double height_m, double& rc, double& rs) {
    double xyz[3];
    ASSERT_EQ(eraGd2gc(ERFA_WGS84, lon, lat, height_m, xyz), 0);
    rc = std::hypot(xyz[0], xyz[1]) / kEarthA;
    rs = xyz[2] / kEarthA;
}

struct Site {
    const char* what;
    double lon_deg, lat_deg, height_m;
    double jd, fr;  // UT1
};
const Site kSites[] = {
    {"Greenwich, J2000", 0.0, 51.4779, 46.0, 2451545.0, 0.0},
    {"Mauna Kea, 2024", -155.4681, 19.8207, 4205.0, 2460400.0, 0.3125},
    {"La Silla, 1975", -70.7317, -29.2567, 2347.0, 2442500.0, 0.75},
    {"equator, 2050", 100.0, 0.0, 0.0, 2469808.0, 0.91},
    {"near the south pole, 1905", 45.0, -89.99, 2835.0, 2417000.0, 0.05},
    {"Kiso, negative fraction", 137.6253, 35.7972, 1130.0, 2455000.0, -0.2},
};

}  // namespace

// ---- Observer vector --------------------------------------------------------

// ERFA's eraPvtob gives the observer's position (m) and velocity (m/s) turned
// by a sidereal angle theta; with theta = GMST (eraGmst82) and no polar
// motion it is the frame of obsvec. Tolerances: the library's GMST is within
// 1e-9 rad of eraGmst82 over 1900-2100 (position within 1e-9 Earth radii);
// its 1.0027379 turns a day differ from ERFA's 1.00273781191135448 by 8.8e-8
// of the velocity, up to 5.6e-7 Earth radii a day.
TEST(ObserverVector, MatchesErfaPvtob) {
    for (const Site& s : kSites) {
        SCOPED_TRACE(s.what);
        const double lon = s.lon_deg / kDegPerRad, lat = s.lat_deg / kDegPerRad;
        double rc = 0, rs = 0;
        site_constants(lon, lat, s.height_m, rc, rs);
        const StateVector o = obsvec(static_cast<std::int32_t>(s.jd), s.fr, lon, rc, rs);
        double pv[2][3];
        eraPvtob(lon, lat, s.height_m, 0.0, 0.0, 0.0, eraGmst82(s.jd, s.fr), pv);
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(o[j], pv[0][j] / kEarthA, 1.2e-9) << "position " << j;
            EXPECT_NEAR(o[j + 3], pv[1][j] * 86400.0 / kEarthA, 6e-7) << "velocity " << j;
        }
    }
}

// With the stored constants (times minus the Earth's radius in AU) the
// result is the vector from the observer to the geocentre, in AU. Relative
// tolerances as above: 1e-9 of the position (with ERFA's astronomical unit
// 6e-11 longer than the library's), 9e-8 of the velocity.
TEST(ObserverVector, StoredConstantsGiveObserverToGeocentreInAu) {
    const Site& s = kSites[1];
    const double lon = s.lon_deg / kDegPerRad, lat = s.lat_deg / kDegPerRad;
    double rc = 0, rs = 0;
    site_constants(lon, lat, s.height_m, rc, rs);
    const StateVector c = obsvec(static_cast<std::int32_t>(s.jd), s.fr, lon, rc * kParallaxScale, rs * kParallaxScale);
    double pv[2][3];
    eraPvtob(lon, lat, s.height_m, 0.0, 0.0, 0.0, eraGmst82(s.jd, s.fr), pv);
    for (int j = 0; j < 3; ++j) {
        EXPECT_NEAR(c[j], -pv[0][j] / ERFA_DAU, 5e-14) << j;                  // 5e-14 AU = 7.5 mm
        EXPECT_NEAR(c[j + 3], -pv[1][j] * 86400.0 / ERFA_DAU, 2.5e-11) << j;  // 9e-8 of 2.7e-4 AU/day
    }
}

TEST(ObserverVector, GeocentricObserverIsZero) {
    for (const StateVector& v : {obsvec(2451545, 0.3, 1.0, 0.0, 0.0), obsvec_j2000(2451545, 0.3, 0.299, 1.0, 0.0, 0.0)})
        for (double x : v) EXPECT_EQ(x, 0.0);
}

// The J2000 form against ERFA: the observer turned by the apparent sidereal
// time (eraGst94) into the true equator and equinox of date, then back to
// J2000 with the transpose of eraPnm80 (IAU 1976 precession, IAU 1980
// nutation). Tolerance 2e-8 Earth radii (0.004"): the library's equation of
// the equinoxes lacks the 0.0026" complementary terms of eraEqeq94, and its
// sidereal time and single-precision nutation add below 1e-9.
TEST(ObserverVector, J2000FormMatchesErfaPrecessionNutation) {
    const double delta_t_days = 69.0 / 86400.0;  // any plausible Delta T
    for (const Site& s : kSites) {
        SCOPED_TRACE(s.what);
        const double lon = s.lon_deg / kDegPerRad, lat = s.lat_deg / kDegPerRad;
        double rc = 0, rs = 0;
        site_constants(lon, lat, s.height_m, rc, rs);
        const double fr_tt = s.fr + delta_t_days;
        const StateVector o = obsvec_j2000(static_cast<std::int32_t>(s.jd), fr_tt, s.fr, lon, rc, rs);

        double pv[2][3], rnp[3][3], pv2000[2][3];
        eraPvtob(lon, lat, s.height_m, 0.0, 0.0, 0.0, eraGst94(s.jd, s.fr), pv);
        eraPnm80(s.jd, fr_tt, rnp);
        eraTrxpv(rnp, pv, pv2000);
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(o[j], pv2000[0][j] / kEarthA, 2e-8) << "position " << j;
            EXPECT_NEAR(o[j + 3], pv2000[1][j] * 86400.0 / kEarthA, 6e-7) << "velocity " << j;
        }
    }
}

// The frame matters: a quarter of a century from J2000 the observer vector of
// date and the J2000 one differ by the precession, about 0.006 Earth radii;
// added to the vector of a body at the Moon's distance that is 20" of
// direction, 1" at 0.05 AU.
TEST(ObserverVector, FrameOfDateIsNotJ2000) {
    const Site& s = kSites[1];
    const double lon = s.lon_deg / kDegPerRad;
    const auto jd = static_cast<std::int32_t>(s.jd);
    const StateVector d = obsvec(jd, s.fr, lon, 0.93, 0.34);
    const StateVector j = obsvec_j2000(jd, s.fr + 8e-4, s.fr, lon, 0.93, 0.34);
    const double diff =
        std::sqrt((d[0] - j[0]) * (d[0] - j[0]) + (d[1] - j[1]) * (d[1] - j[1]) + (d[2] - j[2]) * (d[2] - j[2]));
    EXPECT_GT(diff, 4e-3);
    EXPECT_LT(diff, 8e-3);
}

// ---- Light time -------------------------------------------------------------

// For an object moving uniformly, the light-time equation |P - V D/c| = D
// (P the geometric vector a + b + c, V the object's velocity) is a quadratic
// in D with one positive root; the light-time iteration converges to it.
TEST(LightTime, UniformMotionMatchesExactSolution) {
    struct Case {
        const char* what;
        StateVector a, b, c;
    };
    const StateVector geo{};
    const StateVector earth = state(-0.18, 0.89, 0.39, -0.0172, -0.0029, -0.0013);  // Sun from the Earth
    const Case cases[] = {
        {"main-belt asteroid", state(2.1, -1.3, -0.4, 0.006, 0.009, 0.003), earth, geo},
        {"fast comet near the Sun", state(0.12, 0.05, -0.02, -0.03, 0.06, 0.02), earth, geo},
        {"near-Earth object", state(0.19, -0.88, -0.37, 0.019, 0.002, 0.003), earth,
         state(3e-5, -2e-5, 1.5e-5, 1e-4, 1.5e-4, 0.0)},
        {"distant object", state(-30.0, 12.0, 5.0, -0.0005, -0.0021, 0.0004), earth, geo},
        {"retrograde, south", state(0.5, 1.5, -2.5, -0.01, -0.005, 0.004), earth, geo},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        double p[3], v[3];
        for (int j = 0; j < 3; ++j) {
            p[j] = k.a[j] + k.b[j] + k.c[j];
            v[j] = k.a[j + 3];
        }
        const double lt = kErfaLightDaysPerAu;
        const double qa = lt * lt * eraPdp(v, v) - 1.0, qb = -2.0 * lt * eraPdp(p, v), qc = eraPdp(p, p);
        const double q = -0.5 * (qb + std::copysign(std::sqrt(qb * qb - 4 * qa * qc), qb));
        const double d = std::fmax(q / qa, qc / q);
        double seen[3];
        for (int j = 0; j < 3; ++j) seen[j] = p[j] - v[j] * d * lt;
        double ra_ref = 0, dec_ref = 0;
        eraC2s(seen, &ra_ref, &dec_ref);
        ra_ref = eraAnp(ra_ref);

        SkyDirection out;
        lightt(k.a, k.b, k.c, out, LightTimeRates::Computed);
        // The iteration stops within 1e-8 AU of the delay, which moves the
        // object by |v| x 1e-8 / c: below 1e-11 AU here, so 1e-10 rad even at
        // 0.1 AU. The geometric distance to 1e-14 relative.
        EXPECT_LT(separation(out.ra, out.dec, ra_ref, dec_ref), 1e-10);
        EXPECT_NEAR(out.dist, std::sqrt(qc), 1e-14 * std::sqrt(qc));
        EXPECT_GE(out.ra, 0.0);
        EXPECT_LT(out.ra, kTwoPi);
        // The light-time shift itself is real: tens of arcseconds to degrees.
        double ra_geo = 0, dec_geo = 0;
        eraC2s(p, &ra_geo, &dec_geo);
        EXPECT_GT(separation(out.ra, out.dec, ra_geo, dec_geo), 1 * kArcsec);
    }
}

// The rates are those of the geometric vector a + b + c: eraPv2s gives the
// same spherical rates from position and velocity.
TEST(LightTime, RatesMatchErfaPv2sAndSwitchOffKeepsThem) {
    const StateVector a = state(1.7, 0.9, -0.3, -0.004, 0.011, 0.002);
    const StateVector b = state(-0.9, -0.4, -0.17, 0.008, -0.015, -0.0065);
    const StateVector c = state(2e-5, -3e-5, 1e-5, 1.7e-4, 1.1e-4, 0.0);
    double pv[2][3];
    sum_pv(a, b, c, pv);
    double th = 0, ph = 0, r = 0, td = 0, pd = 0, rd = 0;
    eraPv2s(pv, &th, &ph, &r, &td, &pd, &rd);

    SkyDirection out;
    lightt(a, b, c, out, LightTimeRates::Computed);
    EXPECT_NEAR(out.ra_rate, td, 1e-14);  // rad/day, rounding of the formula
    EXPECT_NEAR(out.dec_rate, pd, 1e-14);
    EXPECT_NEAR(out.dist_rate, rd, 1e-15);  // AU/day

    SkyDirection kept;
    kept.ra_rate = 11.0;
    kept.dec_rate = 12.0;
    kept.dist_rate = 13.0;
    {
        lightt(a, b, c, kept, LightTimeRates::Kept);
        EXPECT_EQ(kept.ra_rate, 11.0);
        EXPECT_EQ(kept.dec_rate, 12.0);
        EXPECT_EQ(kept.dist_rate, 13.0);
        EXPECT_EQ(kept.ra, out.ra);
        EXPECT_EQ(kept.dec, out.dec);
        EXPECT_EQ(kept.dist, out.dist);
    }
}

// An object at rest keeps its geometric direction: the second pass repeats
// the first.
TEST(LightTime, ObjectAtRestGivesGeometricDirection) {
    const StateVector a = state(-1.2, 2.5, 0.8, 0.0, 0.0, 0.0);
    const StateVector b = state(0.3, -0.9, -0.4, 0.0, 0.0, 0.0);
    const StateVector c{};
    SkyDirection out;
    lightt(a, b, c, out, LightTimeRates::Kept);
    std::array<double, 6> geo{};
    geompos(a, b, c, geo, "SPH", "NO ");
    EXPECT_EQ(out.ra, geo[0]);
    EXPECT_EQ(out.dec, geo[1]);
    EXPECT_EQ(out.dist, geo[2]);
}

// On the pole of the frame the right ascension is undefined: it keeps the
// caller's value, the declination is +-pi/2 and the angle rates are 0 (not
// the 0/0 of the rate formulas).
TEST(LightTime, ObjectOnThePole) {
    for (double z : {2.0, -2.0}) {
        SCOPED_TRACE(z);
        const StateVector a = state(0.0, 0.0, z, 0.01, 0.0, 0.003);
        const StateVector b{}, c{};
        for (int pass = 0; pass < 2; ++pass) {
            SkyDirection out;
            out.ra = 1.234;
            if (pass == 0)
                lightt(a, b, c, out, LightTimeRates::Computed);
            else
                appfirst(a, b, c, out);
            // lightt: the shifted object leaves the pole by v/c; appfirst
            // keeps the geometric (polar) direction apart from the rates.
            EXPECT_NEAR(out.dec, std::copysign(kPi / 2, z), 2e-4);
            EXPECT_EQ(out.dist, 2.0);
            EXPECT_TRUE(std::isfinite(out.ra_rate) && std::isfinite(out.dec_rate));
            EXPECT_NEAR(out.dist_rate, std::copysign(0.003, z), 1e-17);
        }
    }
    // Exactly on the pole, not moving across it: right ascension kept.
    SkyDirection out;
    out.ra = 1.234;
    lightt(state(0.0, 0.0, 3.0, 0.0, 0.0, -0.01), StateVector{}, StateVector{}, out, LightTimeRates::Computed);
    EXPECT_EQ(out.ra, 1.234);
    EXPECT_EQ(out.dec, kPi / 2);
    EXPECT_EQ(out.ra_rate, 0.0);
    EXPECT_EQ(out.dec_rate, 0.0);
    EXPECT_EQ(out.dist_rate, -0.01);
}

// ---- First-order apparent direction ------------------------------------------

// A fixed object seen by a moving observer: the shift is the aberration.
// ERFA's eraAb (relativistic, for the observer's velocity in units of c)
// against appfirst's rate x light-time correction; they agree to the second
// order: (v/c)^2 = 1e-8 rad at 30 km/s for the aberration itself, and
// (v/c)^2 tan(dec) / 2 from shifting the two angles separately (the right
// ascension shift is (v/c) / cos(dec)). Tolerance (v/c)^2 (2 + tan |dec|).
TEST(FirstOrderApparent, MatchesErfaAberrationForAMovingObserver) {
    struct Case {
        const char* what;
        Vec3 p;  // object from the observer, AU
        Vec3 u;  // observer's velocity, AU/day
    };
    const Case cases[] = {
        {"ecliptic, Earth's orbital speed", {2.0, 1.0, 0.1}, {-0.0098, 0.0142, 0.0061}},
        {"high declination", {0.3, -0.4, 3.0}, {0.0172, 0.0004, 0.0002}},
        {"near RA 0 moving east", {5.0, 1e-6, -1.0}, {0.0, -0.017, 0.0}},
        {"near object, south", {-0.05, -0.02, -0.04}, {0.011, -0.012, -0.005}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        // Object at rest relative to the Sun (b at rest too); the observer
        // moves with u, so c, the observer-to-centre vector, changes by -u.
        const StateVector a = state(k.p[0], k.p[1], k.p[2], 0, 0, 0);
        const StateVector b{};
        const StateVector c = state(0, 0, 0, -k.u[0], -k.u[1], -k.u[2]);
        SkyDirection out;
        appfirst(a, b, c, out);

        double pnat[3], v[3];
        const double r = std::sqrt(k.p[0] * k.p[0] + k.p[1] * k.p[1] + k.p[2] * k.p[2]);
        for (int j = 0; j < 3; ++j) {
            pnat[j] = k.p[j] / r;
            v[j] = k.u[j] * kErfaLightDaysPerAu;
        }
        double ppr[3];
        eraAb(pnat, v, 1.0, std::sqrt(1.0 - eraPdp(v, v)), ppr);
        double ra_ref = 0, dec_ref = 0;
        eraC2s(ppr, &ra_ref, &dec_ref);
        const double beta2 = eraPdp(v, v);
        EXPECT_LT(separation(out.ra, out.dec, ra_ref, dec_ref), beta2 * (2.0 + std::fabs(std::tan(dec_ref))));
        // The aberration itself is 20" here (about 1e-4 rad).
        double ra_geo = 0, dec_geo = 0;
        eraC2s(pnat, &ra_geo, &dec_geo);
        EXPECT_GT(separation(out.ra, out.dec, ra_geo, dec_geo), 5 * kArcsec);
        EXPECT_GE(out.ra, 0.0);
        EXPECT_LT(out.ra, kTwoPi);
    }
}

// A moving object seen from a fixed observer: the first-order correction
// against the exact light-time solution of lightt. They differ by the second
// order (v/c)^2 plus the curvature of the angles over the shift, (shift)^2 x
// tan(dec): tolerance 5e-8 rad for these shifts of 1e-4 rad.
TEST(FirstOrderApparent, AgreesWithLightTimeForAMovingObject) {
    const StateVector b{}, c{};
    const StateVector cases[] = {
        state(1.2, -0.6, 0.3, 0.006, 0.013, -0.002),
        state(-0.3, 0.25, -0.1, 0.015, 0.01, 0.009),
        state(3.0, 0.1, 1.4, -0.002, 0.008, 0.001),
    };
    for (const StateVector& a : cases) {
        SkyDirection exact, first;
        lightt(a, b, c, exact, LightTimeRates::Computed);
        appfirst(a, b, c, first);
        EXPECT_LT(separation(exact.ra, exact.dec, first.ra, first.dec), 5e-8);
        // Distance and rates stay geometric in both.
        EXPECT_EQ(first.dist, exact.dist);
        EXPECT_EQ(first.ra_rate, exact.ra_rate);
        EXPECT_EQ(first.dec_rate, exact.dec_rate);
        EXPECT_EQ(first.dist_rate, exact.dist_rate);
    }
}

// A right ascension just above 0, moved back by a positive rate, comes out
// just below 2 pi.
TEST(FirstOrderApparent, RightAscensionWrapsIntoRange) {
    const StateVector a = state(1.0, 1e-9, 0.0, 0.0, 0.01, 0.0);
    SkyDirection out;
    appfirst(a, StateVector{}, StateVector{}, out);
    // Rate 0.01 rad/day over 1 AU of light time (0.0057755 days).
    EXPECT_NEAR(out.ra, kTwoPi - 0.01 * kLightDaysPerAu + 1e-9, 1e-13);
    EXPECT_LT(out.ra, kTwoPi);
}

// ---- Geometric position -----------------------------------------------------

TEST(GeometricPosition, RectangularAndSphericalForms) {
    const StateVector a = state(1.7, 0.9, -0.3, -0.004, 0.011, 0.002);
    const StateVector b = state(-0.9, -0.4, -0.17, 0.008, -0.015, -0.0065);
    const StateVector c = state(2e-5, -3e-5, 1e-5, 1.7e-4, 1.1e-4, 0.0);
    double pv[2][3];
    sum_pv(a, b, c, pv);

    std::array<double, 6> rec{};
    geompos(a, b, c, rec, "REC", "YES");
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(rec[j], pv[0][j]);
        EXPECT_EQ(rec[j + 3], pv[1][j]);
    }

    double th = 0, ph = 0, r = 0, td = 0, pd = 0, rd = 0;
    eraPv2s(pv, &th, &ph, &r, &td, &pd, &rd);
    std::array<double, 6> sph{};
    geompos(a, b, c, sph, "SPH", "YES");
    EXPECT_NEAR(sph[0], eraAnp(th), 1e-15);
    EXPECT_NEAR(sph[1], ph, 1e-15);
    EXPECT_NEAR(sph[2], r, 1e-15);
    EXPECT_NEAR(sph[3], td, 1e-14);
    EXPECT_NEAR(sph[4], pd, 1e-14);
    EXPECT_NEAR(sph[5], rd, 1e-15);

    std::array<double, 6> norates{0, 0, 0, 7.0, 8.0, 9.0};
    geompos(a, b, c, norates, "SPH", "NO ");
    EXPECT_EQ(norates[0], sph[0]);
    EXPECT_EQ(norates[3], 7.0);
    EXPECT_EQ(norates[4], 8.0);
    EXPECT_EQ(norates[5], 9.0);
}

TEST(GeometricPosition, ZeroDistanceGivesFiniteZeroRates) {
    const StateVector a = state(1.0, 2.0, 3.0, 0.01, 0.0, 0.0);
    const StateVector b = state(-1.0, -2.0, -3.0, 0.0, 0.0, 0.0);
    std::array<double, 6> out{5.0, 0.5, 9.0, 9.0, 9.0, 9.0};
    geompos(a, b, StateVector{}, out, "SPH", "YES");
    EXPECT_EQ(out[0], 5.0);  // direction undefined: kept
    EXPECT_EQ(out[1], 0.5);
    EXPECT_EQ(out[2], 0.0);
    for (int j = 3; j < 6; ++j) EXPECT_EQ(out[j], 0.0) << j;
}

// ---- Phase and elongation ---------------------------------------------------

// Triangles worked by hand. e is the observer's heliocentric position (so
// b = -e), a the object's; angles in degrees. The side letter: the object's
// longitude seen from the observer greater than the Sun's (counted
// anticlockwise seen from the north) is east.
TEST(PhaseElongation, HandComputedTriangles) {
    struct Case {
        const char* what;
        Vec3 e, a;
        double phase_deg, elong_deg;
        char side;
    };
    const double d3 = std::atan(std::sqrt(2.0)) * kDegPerRad;        // 54.7356
    const double d4 = std::atan(1.0 / std::sqrt(2.0)) * kDegPerRad;  // 35.2644
    const Case cases[] = {
        // Sun at 180 deg seen from (1, 0, 0), object at 135 deg: west.
        {"isosceles right, west", {1, 0, 0}, {0, 1, 0}, 45.0, 45.0, 'W'},
        {"mirror image, east", {1, 0, 0}, {0, -1, 0}, 45.0, 45.0, 'E'},
        {"western quadrature", {1, 0, 0}, {1, 1, 0}, 45.0, 90.0, 'W'},
        // 3-4-5: right angle at the Sun; phase opposite 4, elongation
        // opposite 3; object at 306.87 deg, Sun at 270 deg.
        {"3-4-5, east",
         {0, 4, 0},
         {3, 0, 0},
         std::atan2(4.0, 3.0) * kDegPerRad,
         std::atan2(3.0, 4.0) * kDegPerRad,
         'E'},
        // Out of the plane: cos elong = 1/sqrt 3, cos phase = 2/sqrt 6.
        {"object above the plane", {1, 0, 0}, {0, 1, 1}, d4, d3, 'W'},
        {"inferior conjunction", {1, 0, 0}, {0.5, 0, 0}, 180.0, 0.0, 'E'},
        {"opposition", {1, 0, 0}, {2.5, 0, 0}, 0.0, 180.0, 'E'},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const PhaseElongation r = elongph(k.a, {-k.e[0], -k.e[1], -k.e[2]});
        EXPECT_NEAR(r.phase * kDegPerRad, k.phase_deg, 1e-12);
        EXPECT_NEAR(r.elong * kDegPerRad, k.elong_deg, 1e-12);
        EXPECT_EQ(r.side, k.side);
    }
}

TEST(PhaseElongation, DegenerateGeometry) {
    // Observer at the Sun.
    const PhaseElongation atsun = elongph({1.0, 2.0, 0.5}, {0.0, 0.0, 0.0});
    EXPECT_EQ(atsun.phase, 0.0);
    EXPECT_EQ(atsun.elong, 0.0);
    EXPECT_EQ(atsun.side, 'E');
    // Object behind the Sun on the line (superior conjunction): rounding may
    // make one side a hair longer than the two others together; the result
    // is still phase 0 and elongation 0, never NaN. Half-angle of a flat
    // triangle with sides off by rounding: 1e-7 rad at most.
    for (double x : {0.7, 0.3, 1.1, 0.1 + 0.2, 0.9999999999}) {
        SCOPED_TRACE(x);
        const PhaseElongation r = elongph({-x, 0.0, 0.0}, {-(1.0 - x + 0.3), 0.0, 0.0});
        EXPECT_NEAR(r.phase, 0.0, 1e-7);
        EXPECT_NEAR(r.elong, 0.0, 1e-7);
    }
}

// Random geometries against ERFA's angle between two vectors, and the side
// against the difference of the longitudes. Tolerance 1e-9 rad: the
// half-angle formulas lose about sqrt of the rounding only for flat
// triangles.
TEST(PhaseElongation, MatchesErfaSeparation) {
    std::mt19937_64 rng(20240611);
    std::uniform_real_distribution<double> u(-3.0, 3.0);
    int east = 0, west = 0;
    for (int n = 0; n < 500; ++n) {
        double e[3] = {u(rng), u(rng), 0.3 * u(rng)};
        double a[3] = {u(rng), u(rng), 0.3 * u(rng)};
        double b[3] = {-e[0], -e[1], -e[2]};
        double to_sun_from_obj[3], obj_to_obs[3], obj_from_obs[3];
        for (int j = 0; j < 3; ++j) {
            to_sun_from_obj[j] = -a[j];
            obj_to_obs[j] = e[j] - a[j];
            obj_from_obs[j] = a[j] - e[j];
        }
        const PhaseElongation r = elongph({a[0], a[1], a[2]}, {b[0], b[1], b[2]});
        EXPECT_NEAR(r.phase, eraSepp(to_sun_from_obj, obj_to_obs), 1e-9) << n;
        EXPECT_NEAR(r.elong, eraSepp(b, obj_from_obs), 1e-9) << n;
        double lon_sun = 0, lat = 0, lon_obj = 0;
        eraC2s(b, &lon_sun, &lat);
        eraC2s(obj_from_obs, &lon_obj, &lat);
        const char side = eraAnpm(lon_obj - lon_sun) < 0 ? 'W' : 'E';
        EXPECT_EQ(r.side, side) << n;
        (side == 'E' ? east : west)++;
    }
    EXPECT_GT(east, 100);
    EXPECT_GT(west, 100);
}
